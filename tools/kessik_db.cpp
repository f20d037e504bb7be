// kessik-db: database work without a display.
//
//   kessik-db unpack DATABASE_FILE SOURCE_ROOT
//   kessik-db pack DATABASE_FOLDER DATABASE_FILE
//   kessik-db export SECTION_FOLDER [--schema DB/N] [-o FILE]
//   kessik-db import SECTION_FOLDER FILE [--schema DB/N]
//   kessik-db sample PROGRAM_FOLDER
//
// Exit status: 0 done, 1 refused or failed, 2 usage error. Messages go to
// standard error in UTF-8. A new command is one function and one row of
// kCommands.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kessik_db.h"

namespace kessik::tool {

// The section commands (kessik_db_sections.cpp).
int commandExport(const std::vector<std::string>& args);
int commandImport(const std::vector<std::string>& args);
int commandSample(const std::vector<std::string>& args);
void printSchemaList(std::FILE* out);

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
     "      The old database folder is deleted first; SOURCE_ROOT must exist.",
     commandUnpack},
    {"pack", "DATABASE_FOLDER DATABASE_FILE", 2,
     "Packs a database folder (sections 1, 2, ... and records 0000001.zap, ...\n"
     "      up to the first gap, at most 10 sections) into DATABASE_FILE.",
     commandPack},
    {"export", "SECTION_FOLDER [--schema DB/N] [-o FILE]", kOwnArguments,
     "Writes a section as CSV (UTF-8): \"File\" and the field names, one line per record.",
     commandExport},
    {"import", "SECTION_FOLDER FILE [--schema DB/N]", kOwnArguments,
     "Applies such a CSV as the editor's save would; on any refusal lists them and writes nothing.",
     commandImport},
    {"sample", "PROGRAM_FOLDER", 1,
     "Writes sample records of every known section under bases\\ and templates under shablons\\.",
     commandSample},
};

void printUsage(std::FILE* out) {
  std::fputs("Usage: kessik-db COMMAND ARGUMENTS...\n\nCommands:\n", out);
  for (const Command& c : kCommands) {
    std::string summary = c.summary;
    std::string usage = std::string(c.name) + " " + c.arguments;
    std::fprintf(out, "  %-50s %s\n", usage.c_str(), summary.substr(0, summary.find('\n')).c_str());
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
      if (isHelp(a)) {
        printCommandUsage(stdout, c);
        return ExitOk;
      }
    }
    if (c.argumentCount == kOwnArguments) {
      installStderrNotifier();
      return c.run(rest);
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
    return c.run(rest);
  }
  std::fprintf(stderr, "kessik-db: unknown command %s\n\n", args[0].c_str());
  printUsage(stderr);
  return ExitUsage;
}
