// The database sources workflow without a window: the database archive of a
// game into its work folder and the database files there into the source
// tree, and back (the database files from the tree, the work folder into the
// archive, optimized). Each step says whether it did its work; the one-go
// operations stop at the first step that did not, say which it was, and leave
// the archive as it was.
//
// The window it runs under (or a test) is the SourcesHost: it asks the
// questions, shows the messages, runs the archive tool and deletes folders
// (behind its wait windows). Messages are cp1251.
//
//   SourcesDriver lmp(Game::Lmp, host);
//   if (lmp.state().sourcesReady) lmp.fullMake();
//
// Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "util/notify.h"

namespace kessik::sources {

enum class Game { Singl, Lmp };

// The database files, in the order each step handles them.
const std::vector<std::string>& singlCheckList();  // also unpacking
const std::vector<std::string>& singlPackList();
const std::vector<std::string>& lmpCheckList();
const std::vector<std::string>& lmpUnpackList();   // also packing

// What the workflow needs of its window.
class SourcesHost {
 public:
  virtual ~SourcesHost() = default;
  // A question with the buttons Yes and No; true for Yes.
  virtual bool ask(Icon kind, const std::string& text) = 0;
  // A message dialog of that kind with an OK button.
  virtual void show(Icon kind, const std::string& text) = 0;
  // The archive tool operations: the result text, empty when the tool ran
  // (the host has shown any error itself).
  virtual std::string unpackArchive(const std::string& archive, const std::string& folder) = 0;
  virtual std::string packFolder(const std::string& archive, const std::string& folder) = 0;
  virtual std::string optimizeArchive(const std::string& archive) = 0;
  // Deletes a folder tree and creates the folder anew, empty (a link is
  // removed as a link); true when a real folder is there afterwards.
  virtual bool recreateFolder(const std::string& folder) = 0;
  // Deletes everything in a folder, keeping the folder; true when all went.
  virtual bool emptyFolder(const std::string& folder) = 0;
  // Where unpacking and packing a database report.
  virtual Progress& progress() = 0;
};

// A host without windows: questions and messages through the notifier, the
// archive tool started from the program's folder and waited for, folders
// deleted at once, no progress.
class PlainSourcesHost : public SourcesHost {
 public:
  explicit PlainSourcesHost(std::string programDir);
  bool ask(Icon kind, const std::string& text) override;
  void show(Icon kind, const std::string& text) override;
  std::string unpackArchive(const std::string& archive, const std::string& folder) override;
  std::string packFolder(const std::string& archive, const std::string& folder) override;
  std::string optimizeArchive(const std::string& archive) override;
  bool recreateFolder(const std::string& folder) override;
  bool emptyFolder(const std::string& folder) override;
  Progress& progress() override { return noProgress(); }

 private:
  std::string programDir_;
};

// A game's paths as the settings give them now, and what is there.
struct GameState {
  std::string archive;  // "DatabaseResPath" / "DatabaselmpResPath"
  std::string work;     // the folder name for the archive ("...\database_res\")
  std::string root;     // the source root, with a trailing backslash (empty when not set)
  bool archiveThere = false;  // the archive file exists
  bool workReady = false;     // the work folder holds every database file
  bool sourcesReady = false;  // the root holds every database folder
};

// How a step ended.
enum class Outcome {
  Done,
  Declined,  // the user answered No; nothing was changed
  Refused,   // a check before any change refused, with its message shown
  Failed,    // the work went wrong (its message shown); what says what
};

struct StepResult {
  Outcome outcome = Outcome::Done;
  std::string what;  // Failed: "база items.idb не собрана" (cp1251)
  bool done() const { return outcome == Outcome::Done; }
};

class SourcesDriver {
 public:
  SourcesDriver(Game game, SourcesHost& host);

  // The paths from the settings and what is there (also sets the run's
  // DatabaseResDir or DatabaselmpResDir).
  GameState state() const;

  // The four steps. With ask set, a step asks its question before it changes
  // anything (unpacking the archive always asks).
  // Unpacks the archive into a folder beside the work folder and, once the
  // tool has put something there, puts it in the work folder's place.
  StepResult unpackArchive();
  // Checks every database file of the work folder, then empties the source
  // root and unpacks them into it, stopping at the first that fails.
  StepResult generateSources(bool ask);
  // Packs each database folder into its file in the work folder, stopping
  // at the first that fails.
  StepResult generateDatabases(bool ask);
  // Packs the work folder into the archive and optimizes it. The old archive
  // waits beside and comes back when either tool run left no archive.
  StepResult packArchive(bool ask);

  // The buttons: a step on its own (a step that failed midway says so), and
  // both steps in one go. "Полная распаковка" goes on after its first
  // question was answered No; both one-go operations stop at the first step
  // that refused or failed and say which it was. True when all was done.
  bool unpackArchiveButton();
  bool generateSourcesButton(bool ask);
  bool generateDatabasesButton(bool ask);
  bool packArchiveButton(bool ask);
  bool fullGet();
  bool fullMake();

  // Whether a step emptied and refilled the source root since the last
  // clear (the main window then closes its section editors).
  bool sourcesChanged() const { return changed_; }
  void clearChanged() { changed_ = false; }
  // The records the steps of this driver unpacked into the sources or
  // packed into databases (for the window's status line).
  std::uint64_t records() const { return records_; }

 private:
  const std::vector<std::string>& checkList() const;
  const std::vector<std::string>& unpackList() const;
  const std::vector<std::string>& packList() const;
  std::string heldByRoot(const GameState& g) const;
  bool checkDatabases(const GameState& g, std::string& what);
  void sayStopped(const char* step, const StepResult& r, const std::string& operation,
                  const std::string& keeps);

  Game game_;
  SourcesHost& host_;
  bool changed_ = false;
  std::uint64_t records_ = 0;
};

}  // namespace kessik::sources
