// The work of the section table window that needs no window: a section
// snapshot with the cell edits typed over it, each edit checked as the
// editor checks its table; building every changed record's bytes as the
// editor's "Сохранить" would (masks unique across the section as it will
// stand, the section's rules, untouched rows keeping their bytes); undo and
// redo of edits.
//
//   TableSession s(*readSnapshot(schema, folder));
//   auto p = s.propose(4, 2, "15");          // refused: p.message names the row
//   if (p.accepted) s.apply(p.changes);      // one undo step
//   SaveBuild b = s.buildChanges();          // b.failures, or b.files to write
//   if (b.failures.empty() && saveSectionRecords(folder, files of b).ok) s.commitSaved(b);
//
// Records and rows are 0-based (record i is file i + 1, row r the schema's
// row r + 1). Texts are cp1251. Qt-free.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbench/engine/snapshot.h"

namespace kessik {

// One cell's text before and after an edit.
struct CellChange {
  int record = 0;
  int row = 0;
  std::string before, after;
};

struct CellFailure {
  int record = 0;
  int row = 0;
  std::string message;  // cp1251
};

// What "Сохранить всё" would do.
struct SaveBuild {
  std::vector<CellFailure> failures;            // nothing may be written when any
  std::map<std::string, ByteString> files;      // file name -> the record's new bytes
  std::vector<int> records;                     // the records with edits
};

class TableSession {
 public:
  TableSession() = default;
  explicit TableSession(SectionSnapshot snapshot);

  const Schema& schema() const { return *snap_.schema; }
  const SectionSnapshot& snapshot() const { return snap_; }
  const std::string& folder() const { return snap_.folder; }
  int recordCount() const { return static_cast<int>(snap_.records.size()); }
  int rowCount() const { return snap_.schema ? static_cast<int>(snap_.schema->rows.size()) : 0; }
  // The record of a file name, -1 when none.
  int recordOf(const std::string& file) const;

  // The text a cell shows now (with its edit), and as it was read.
  std::string_view text(int record, int row) const;
  std::string_view loadedText(int record, int row) const;
  bool edited(int record, int row) const;
  bool recordEdited(int record) const;
  int editedRecords() const;
  bool hasEdits() const { return !current_.empty(); }
  // The records with edits, ascending.
  std::vector<int> editedRecordList() const;

  // A cell the table lets the user type into: its row could be read, and it
  // is no raw or sound-list row (those keep their buttons in the editor).
  bool editable(int record, int row) const;

  // What typing a text into a cell does: refused with the editor's message
  // (the row's name and the text added), or accepted with every cell it
  // changes (the list normalised, an ID set from a type name ...). Nothing
  // changes here.
  struct Proposal {
    bool accepted = false;
    std::string message;
    std::vector<CellChange> changes;
  };
  Proposal propose(int record, int row, const std::string& text) const;

  // Sets each cell to its `after` text (undo: to its `before` text). A cell
  // whose text comes back to what was read is no longer edited. The failure
  // mark of every cell set goes.
  void apply(const std::vector<CellChange>& changes, bool undo = false);

  // Checks and builds every edited record. Records whose bytes come out as
  // they were read are not among the files.
  SaveBuild buildChanges() const;
  // Marks the cells of the failures (until they are edited, or the edits go).
  void markFailures(const std::vector<CellFailure>& failures);
  std::optional<std::string> failure(int record, int row) const;

  // The records of a build whose files no longer hold the bytes the table
  // read (something else wrote them since): writing over them would lose
  // that.
  std::vector<int> changedSinceRead(const SaveBuild& build) const;
  // After the files of a build were written: they are what was read now,
  // and no edit is left.
  void commitSaved(const SaveBuild& build);
  // Drops every edit.
  void revert();
  // Reads one record again (another window wrote it); its edits stay where
  // they differ from what is read now. False when the file is gone.
  bool reloadRecord(int record);

  // Takes over the edits of an earlier session of the same section after
  // its records were read anew (records created, deleted or renumbered
  // elsewhere): each edited record is found again by its bytes as read, else
  // by its mask when exactly one record has it. Returns the files (of the
  // earlier session) whose edits found no record.
  std::vector<std::string> adoptEdits(const TableSession& earlier);

  // The masks: field 1 as the scan takes it, or the mask cell once edited.
  const std::string& maskOf(int record) const;

 private:
  std::vector<std::string> currentTexts(int record) const;
  bool maskFree(const std::string& mask, int record) const;
  // How many records carry each mask, as the section stands with its edits
  // (made when first needed, kept up to date by apply).
  std::unordered_map<std::string, int>& maskCounts() const;

  SectionSnapshot snap_;
  std::vector<std::string> masks_;  // per record, as the editor's scan takes them
  std::unordered_map<int, std::vector<std::string>> current_;  // edited records: every row's text
  std::map<std::pair<int, int>, std::string> failures_;
  mutable std::optional<std::unordered_map<std::string, int>> maskCounts_;
};

// The editor's refusal of a row, with the row's name and the text refused.
std::string refusalMessage(const Schema& schema, int row, const std::string& message, const std::string& text);

// Undo and redo of table edits: each step is the cells one action changed
// (one typed cell, or every cell of one paste).
class EditHistory {
 public:
  void push(std::vector<CellChange> step);
  bool canUndo() const { return done_ > 0; }
  bool canRedo() const { return done_ < steps_.size(); }
  // The step to undo (apply it with undo = true), or nothing.
  const std::vector<CellChange>* undo();
  // The step to redo, or nothing.
  const std::vector<CellChange>* redo();
  void clear();

 private:
  std::vector<std::vector<CellChange>> steps_;
  std::size_t done_ = 0;
};

}  // namespace kessik
