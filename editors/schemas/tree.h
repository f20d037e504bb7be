// A whole source root at once: every section of every database below it that
// has a schema. Checking a tree (what the editor would not read, or would not
// write back as it was), comparing two trees section by section, and the
// sheets of every section as one folder of CSV files, applied all or nothing.
//
//   for (auto& line : checkTree("C:\\mod\\")) print(line);       // nothing: clean
//   TreeDiff d = diffTrees("C:\\orig\\", "C:\\mod\\");
//   TreeImport r = importTree("C:\\mod\\", "C:\\sheets\\");       // writes nothing on a problem
//
// Texts are cp1251. Qt-free.
#pragma once

#include <string>
#include <vector>

#include "editors/engine/schema.h"
#include "editors/engine/sheet.h"

namespace kessik {

struct TreeSection {
  const Schema* schema = nullptr;
  std::string name;    // "prints/1": the schema folder with slashes
  std::string folder;  // the root's section folder, with a trailing backslash
};

// The sections of the known schemas whose folders exist below the root
// ("C:\mod\" + "prints\1\"), in the order of the schema table.
std::vector<TreeSection> sectionsOfRoot(const std::string& root);
// True when the folder holds at least one known database folder ("prints",
// "items", ...): it is a source root rather than a section.
bool isSourceRoot(const std::string& folder);

// One line per finding: a record that cannot be read, a row that cannot be
// read or would not be written back byte for byte from the text it shows, a
// mask repeated where masks must be unique, a gap in the record numbering.
// Each line names the record file (or the section folder) first.
std::vector<std::string> checkTree(const std::string& root);

// The differences of two roots: per section, records added, removed and
// changed (matched by mask where masks are unique and none repeats, by number
// otherwise), and for a changed record each changed row with its old and new
// text. One line each; empty when the trees show the same.
std::vector<std::string> diffTrees(const std::string& rootA, const std::string& rootB);

// The sheet file of a section below an output folder: "DIR\items\2.csv".
std::string sheetFileOf(const std::string& outputFolder, const TreeSection& section);

struct TreeExport {
  int sections = 0;
  std::vector<std::string> problems;    // files that could not be written
  std::vector<std::string> unreadable;  // records with a value not read (SheetExport::unreadable)
};
// Writes the sheet of every section of the root into the output folder
// (each sheet replaced whole, as it is read).
TreeExport exportTree(const std::string& root, const std::string& outputFolder);

struct TreeImport {
  std::vector<std::string> problems;  // nothing was written when not empty
  int sections = 0;                   // sheets applied
  int lines = 0;
  int changed = 0;
  bool writeFailed = false;
  std::vector<std::string> skipped;  // records left alone (ImportOutcome::skipped), one line each
};
// Applies every sheet of the folder to its section of the root: each sheet is
// checked first (as a dry run), and nothing is written unless every one
// passes. A section without a sheet is left alone; a sheet of an unknown
// section or of a section the root does not have is a problem.
TreeImport importTree(const std::string& root, const std::string& sheetFolder);

}  // namespace kessik
