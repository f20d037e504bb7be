// Search across the databases: every record of a set of sections decoded
// as the editor shows it, and every cell (or every mask) that holds a text.
// The work runs on threads of its own; the hits come out in tree order
// (section, record, row) while it runs, and it stops at once when cancelled.
//
//   TreeSearch s(searchSectionsOf(root), {"sword", false, false});
//   s.start();
//   std::vector<SearchHit> hits;
//   while (s.take(hits)) s.wait(50ms);   // hits grow in order
//
// Texts are cp1251. Qt-free.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "editors/engine/schema.h"
#include "editors/schemas/window_table.h"
#include "workbench/engine/snapshot.h"

namespace kessik {

struct SearchSection {
  const Schema* schema = nullptr;
  std::string folder;     // the section folder, with a trailing backslash
  std::string name;       // "prints/1"
  std::string caption;    // cp1251: the editor's caption, or the name
  std::string className;  // the editor window's class, empty when none
  Game game = Game::Singl;
};

// The sections of a source root the program knows, in the order of its
// sections (for the command-line tool: captions are the names).
std::vector<SearchSection> searchSectionsOfRoot(const std::string& root);
// The sections of the editor windows of the given games whose folders
// exist, in the order of the window table (SINGL before LMP).
std::vector<SearchSection> searchSectionsOfWindows(const std::vector<const WindowEntry*>& windows,
                                                   const std::string& singlRoot, const std::string& lmpRoot);

struct SearchQuery {
  std::string text;        // cp1251
  bool masksOnly = false;  // only the mask cell of each record
  bool exact = false;      // the whole cell (or a whole element of a list), with letter case
};

// Whether one cell of a row holds the text.
class CellMatcher {
 public:
  explicit CellMatcher(const SearchQuery& query);
  bool matches(const Row& row, std::string_view cell) const;

 private:
  struct Impl;
  std::shared_ptr<const Impl> impl_;
};

struct SearchHit {
  int section = 0;  // index into the search's sections
  int record = 0;   // 0-based: record file record + 1
  int row = 0;      // 0-based schema row
  std::string mask;
  std::string value;
};

// "prints/1/0000001.zap «blood»: Name: blood" (cp1251).
std::string hitLine(const SearchSection& section, const SearchHit& hit);

class TreeSearch {
 public:
  TreeSearch(std::vector<SearchSection> sections, SearchQuery query, int threads = readingThreads());
  ~TreeSearch();  // cancels and waits for the threads
  TreeSearch(const TreeSearch&) = delete;
  TreeSearch& operator=(const TreeSearch&) = delete;

  void start();
  // Stops the work as soon as each thread finishes the record at hand.
  void cancel();
  bool cancelled() const { return cancel_; }

  // Appends the hits found since the last call, in tree order; false once
  // everything has been handed over (or the search was cancelled).
  bool take(std::vector<SearchHit>& out);
  // Waits until more hits (or the end) may be there, at most `timeout`.
  void wait(std::chrono::milliseconds timeout);

  // Records read so far and the records of the search (0 while counting).
  std::uint64_t done() const { return done_; }
  std::uint64_t total() const { return total_; }
  const std::vector<SearchSection>& sections() const { return sections_; }

 private:
  struct Chunk;
  void run();

  std::vector<SearchSection> sections_;
  SearchQuery query_;
  int threads_;
  std::vector<Chunk> chunks_;
  std::size_t delivered_ = 0;  // chunks handed over
  std::atomic<bool> cancel_{false};
  std::atomic<bool> counted_{false};
  std::atomic<bool> finished_{false};
  std::atomic<std::uint64_t> done_{0}, total_{0};
  std::mutex lock_;
  std::condition_variable changed_;
  std::thread runner_;
};

}  // namespace kessik
