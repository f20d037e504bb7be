// kessik-db: database work without a display.
//
//   kessik-db unpack DATABASE_FILE SOURCE_ROOT
//   kessik-db pack DATABASE_FOLDER DATABASE_FILE
//   kessik-db export SECTION_FOLDER [--schema DB/N] [-o FILE]
//   kessik-db import SECTION_FOLDER FILE [--schema DB/N]
//   kessik-db sample PROGRAM_FOLDER
//   kessik-db check SOURCE_ROOT
//   kessik-db diff SOURCE_ROOT_A SOURCE_ROOT_B
//   kessik-db export SOURCE_ROOT -o FOLDER        (every section)
//   kessik-db import SOURCE_ROOT FOLDER            (every section, all or nothing)
//   kessik-db find SOURCE_ROOT TEXT [--schema DB/N] [--masks] [--exact]
//
// Exit status: 0 done, 1 refused or failed, 2 usage error (diff: 0 equal,
// 1 different, 2 trouble; find: 0 found, 1 not found, 2 trouble). Messages go
// to standard error in UTF-8. A new command is one function and one row of
// kCommands.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "kessik_db.h"

namespace kessik::tool {

// The section commands (kessik_db_sections.cpp).
int commandExport(const std::vector<std::string>& args);
int commandImport(const std::vector<std::string>& args);
int commandSample(const std::vector<std::string>& args);
void printSchemaList(std::FILE* out);
// The whole-tree commands (kessik_db_tree.cpp).
int commandCheck(const std::vector<std::string>& args);
int commandDiff(const std::vector<std::string>& args);
// The search across the databases (kessik_db_find.cpp).
int commandFind(const std::vector<std::string>& args);

namespace {

// A command that reads its own options and counts its own arguments.
constexpr std::size_t kOwnArguments = static_cast<std::size_t>(-1);

struct Command {
  const char* name;
  const char* arguments;  // as shown in the usage line
  std::size_t argumentCount;
  const char* summary;
  int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"unpack", "DATABASE_FILE SOURCE_ROOT", 2,
     "Unpacks a database file into SOURCE_ROOT/<base name>/<section>/0000001.zap ...\n"
     "      The new tree is built beside the database folder and swapped in whole, so the\n"
     "      old one stays until the new one is complete; SOURCE_ROOT must exist.",
     commandUnpack},
    {"pack", "DATABASE_FOLDER DATABASE_FILE", 2,
     "Packs a database folder (sections 1, 2, ... and records 0000001.zap, ...\n"
     "      up to the first gap, at most 10 sections) into DATABASE_FILE.",
     commandPack},
    {"export", "SECTION_FOLDER [--schema DB/N] [-o FILE]", kOwnArguments,
     "Writes a section as CSV (UTF-8): \"File\" and the field names, one line per record.\n"
     "      export SOURCE_ROOT -o FOLDER writes every section, as FOLDER/items/2.csv ...",
     commandExport},
    {"import", "SECTION_FOLDER FILE [--schema DB/N]", kOwnArguments,
     "Applies such a CSV as the editor's save would; on any refusal lists them and writes nothing.\n"
     "      import SOURCE_ROOT FOLDER applies every CSV of FOLDER (items/2.csv ...), all or nothing.",
     commandImport},
    {"sample", "PROGRAM_FOLDER", 1,
     "Writes sample records of every known section under bases\\, record templates and\n"
     "      sound element templates under shablons\\ (the folder is made when missing).",
     commandSample},
    {"check", "SOURCE_ROOT", 1,
     "Reads every record of every known section below SOURCE_ROOT by its schema and lists\n"
     "      records that cannot be read, rows that would not be written back byte for byte,\n"
     "      repeated masks where masks are unique and gaps in the numbering; exit 1 when any.",
     commandCheck},
    {"diff", "SOURCE_ROOT_A SOURCE_ROOT_B", 2,
     "Lists per section the records added, removed and changed, with each changed row's\n"
     "      old and new text; exit 0 when equal, 1 when not, 2 on trouble.",
     commandDiff},
    {"find", "SOURCE_ROOT TEXT [--schema DB/N] [--masks] [--exact]", kOwnArguments,
     "Prints every cell of every known section (or of one) that holds TEXT, letter case aside,\n"
     "      as the editor shows it: DB/N/FILE «MASK»: ROW: VALUE. --masks: masks only;\n"
     "      --exact: the whole cell or list element, with case. Exit 0 found, 1 not, 2 trouble.",
     commandFind},
};

void printUsage(std::FILE* out) {
  std::fputs("Usage: kessik-db COMMAND ARGUMENTS...\n\nCommands:\n", out);
  for (const Command& c : kCommands) {
    std::string summary = c.summary;
    std::string usage = std::string(c.name) + " " + c.arguments;
    // The summary's further lines go under its first one.
    std::size_t start = 0;
    for (bool first = true; start <= summary.size(); first = false) {
      std::size_t end = summary.find('\n', start);
      std::string line = summary.substr(start, end == std::string::npos ? std::string::npos : end - start);
      line.erase(0, line.find_first_not_of(' '));
      std::fprintf(out, "  %-50s %s\n", first ? usage.c_str() : "", line.c_str());
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  printSchemaList(out);
  std::fputs("\nThe schema of a section folder comes from its last two names (.../prints/1/).\n"
             "Arguments are host paths. Exit status: 0 done, 1 refused or failed, 2 usage error.\n"
             "Messages go to standard error (UTF-8); a progress bar too when it is a terminal.\n",
             out);
}

void printCommandUsage(std::FILE* out, const Command& c) {
  std::fprintf(out, "Usage: kessik-db %s %s\n  %s\n", c.name, c.arguments, c.summary);
}

bool isHelp(std::string_view a) { return a == "--help" || a == "-h"; }

// Runs a command. The database work refuses on its own when memory runs
// out; anything else that runs out of it ends here, never in an abort.
int runCommand(const Command& c, const std::vector<std::string>& args) {
  try {
    return c.run(args);
  } catch (const std::bad_alloc&) {
    clearProgressLine();
    std::fprintf(stderr, "kessik-db %s: not enough memory for this command\n", c.name);
    return ExitFailed;
  }
}

}  // namespace
}  // namespace kessik::tool

int main(int argc, char** argv) {
  using namespace kessik::tool;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printUsage(stderr);
    return ExitUsage;
  }
  if (isHelp(args[0])) {
    printUsage(stdout);
    return ExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] != c.name) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& a : rest) {
      if (a == "--") break;  // after it "-h" is a path
      if (isHelp(a)) {
        printCommandUsage(stdout, c);
        return ExitOk;
      }
    }
    if (c.argumentCount == kOwnArguments) {
      installStderrNotifier();
      return runCommand(c, rest);
    }
    // "--" ends the options, so that a path may begin with "-".
    if (!rest.empty() && rest[0] == "--") rest.erase(rest.begin());
    else {
      for (const std::string& a : rest) {
        if (a.size() > 1 && a[0] == '-') {
          std::fprintf(stderr, "kessik-db %s: unknown option %s\n", c.name, a.c_str());
          printCommandUsage(stderr, c);
          return ExitUsage;
        }
      }
    }
    if (rest.size() != c.argumentCount) {
      std::fprintf(stderr, "kessik-db %s: expected %zu arguments, got %zu\n", c.name, c.argumentCount, rest.size());
      printCommandUsage(stderr, c);
      return ExitUsage;
    }
    installStderrNotifier();
    return runCommand(c, rest);
  }
  std::fprintf(stderr, "kessik-db: unknown command %s\n\n", args[0].c_str());
  printUsage(stderr);
  return ExitUsage;
}
