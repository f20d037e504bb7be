// A section held whole: every record file of a section folder read once and
// decoded by the section's schema into the texts the editor's table shows,
// beside the bytes it was read from. The section table window and the search
// across the databases work on these.
//
//   auto snap = readSnapshot(schema, "C:\\bases\\database\\items\\2\\");
//   for (auto& r : snap->records) print(r.file, r.texts[0]);   // file and mask
//   for (auto& m : snap->messages) say(m);                      // what reading found
//
// Reading is quiet: nothing reaches the installed notifier (the messages of
// the record object and of unreadable files are collected, each named by its
// file), so it may run on threads of its own. Texts are cp1251. Qt-free.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "core/node.h"
#include "core/record.h"
#include "editors/engine/schema.h"
#include "platform/host.h"

namespace kessik {

// The texts of a record's cells, one per schema row, held in one buffer:
// a section of 100,000 records holds millions of them, and a string each
// would take several times the memory (and the time to fill it).
class CellTexts {
 public:
  CellTexts() = default;
  explicit CellTexts(const std::vector<std::string>& texts);
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    const std::uint32_t from = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(joined_).substr(from, ends_[i] - from);
  }
  std::vector<std::string> strings() const;
  // The same texts, one by one.
  bool same(const std::vector<std::string>& texts) const;
  bool operator==(const CellTexts&) const = default;
  friend bool operator==(const CellTexts& a, const std::vector<std::string>& b) { return a.same(b); }

 private:
  std::string joined_;
  std::vector<std::uint32_t> ends_;
};

// One record of a section as the editor would show it after its scan.
struct SnapshotRecord {
  std::string file;                // "0000001.zap"
  ByteString bytes;                // the record file as read
  std::string mask;                // field 1 as the editor's scan takes it
  CellTexts texts;                 // one per schema row
  std::vector<bool> unreadable;    // rows that could not be read; empty when none
  bool readable(int row) const {
    return unreadable.empty() || !unreadable[static_cast<std::size_t>(row)];
  }
};

struct SectionSnapshot {
  const Schema* schema = nullptr;
  std::string folder;  // the section folder, with a trailing backslash
  std::vector<SnapshotRecord> records;
  std::vector<std::string> messages;  // what reading said, "FILE: text" each
};

// The number of record files 1, 2, 3 ... the folder holds before the first
// missing number (as the editor's scan counts them); nothing when the folder
// does not exist.
std::optional<std::uint64_t> countRecordFiles(const std::string& folder);

// Reads a record's bytes into the record object as the scan does (the
// record-number rule applied in memory) and decodes it. Record number k from 1.
RecordView decodeSnapshotRecord(const Schema& schema, const ByteString& bytes, int k, TZapisBaziZm& record,
                                DecodeParts parts = DecodeParts::All);

// Decodes r.bytes (record number k from 1) into its mask, its cell texts and
// its unreadable rows.
void decodeSnapshotBytes(const Schema& schema, int k, SnapshotRecord& r);

// Reads record k (from 1) of the folder into r; false when the file is
// missing. Messages go to the notifier in force on this thread. reader,
// when given, is the folder opened once for many records.
bool readSnapshotRecord(const Schema& schema, const std::string& folder, std::uint64_t k, SnapshotRecord& r,
                        const platform::FolderReader* reader = nullptr);

// The threads reading a section or a tree: the cores of the machine, at
// most four.
int readingThreads();

// The whole section, read on up to `threads` threads. Nothing when the
// folder does not exist.
std::optional<SectionSnapshot> readSnapshot(const Schema& schema, const std::string& folder,
                                            int threads = readingThreads());

// A message collected from work on index i.
using IndexedMessage = std::pair<std::uint64_t, std::string>;

// Runs fn(i) for every i of [0, n) on up to `threads` threads (the calling
// one among them), each thread taking the next block of indices; fn must be
// safe to call at once on different i. Whatever fn tells the notifier is
// collected (by index, in index order) rather than shown; a question gets
// its default answer. fn returns false to stop the run (indices not yet
// taken are skipped).
std::vector<IndexedMessage> forEachIndex(std::uint64_t n, int threads, const std::function<bool(std::uint64_t)>& fn);

}  // namespace kessik
