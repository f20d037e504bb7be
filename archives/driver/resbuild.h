// The archive tool driver: the three operations on resource archives
// (unpack an archive, pack a folder into an archive, optimize an archive) as
// command lines for resbuild.exe, their working folders, the temporary
// tr<N>.res name of a new archive and its rename once the tool has ended.
//
// Qt-free. Starting and waiting for the tool goes through a ToolRunner, so
// that the RUNNING window can keep painting while it waits and tests can
// record the calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace kessik::archives {

enum class ResbuildOperation : std::uint8_t { None = 0, Pack = 1, Unpack = 2, Optimize = 3 };

// One run of the tool.
struct ToolCall {
  char operation = 'a';         // 'a' pack, 'e' unpack, 'o' optimize
  std::string archiveArgument;  // the short path of the archive (cp1251)
  std::string workingFolder;    // short path; empty: the current folder

  // " a C:\x\tr1.res *": begins with a blank, no program name. An archive
  // argument with a blank or tab in it is put in double quotes.
  std::string commandLine() const;
  // The same as separate arguments: {"a", archive, "*"}.
  std::vector<std::string> arguments() const;
};

class ToolRunner {
 public:
  virtual ~ToolRunner() = default;
  // Runs the tool and waits for its end. Empty when it was started (what it
  // did is not checked); otherwise the message saying it could not be
  // started (cp1251).
  virtual std::string run(const ToolCall& call) = 0;
};

// The three operations. Each returns the message for the user (cp1251), empty
// when the tool was run (and, packing into a new archive, its temporary
// archive took the archive's name).
std::string packFolderIntoArchive(const std::string& archive, const std::string& sourceFolder, ToolRunner& runner);
std::string unpackArchive(const std::string& archive, const std::string& destinationFolder, ToolRunner& runner);
std::string optimizeArchive(const std::string& archive, ToolRunner& runner);

// Runs one operation with the paths of a job (second path unused when
// optimizing); None does nothing and returns an empty text.
std::string runOperation(ResbuildOperation operation, const std::string& firstPath, const std::string& secondPath,
                         ToolRunner& runner);

// The first of folder + "tr1.res", "tr2.res", ... under which no file exists;
// nothing when every number up to 2147483647 is taken.
std::optional<std::string> freeTemporaryArchiveName(const std::string& folder);

// What decides how the tool is started on a host.
struct HostFacts {
  bool windows = false;
  std::optional<std::string> resbuildOverride;  // KESSIK_RESBUILD (host path)
  std::optional<std::filesystem::path> wine;     // wine found on PATH
};
HostFacts currentHostFacts();

// How a call is started: on Windows ProgramDir + "resbuild.exe" in a console
// of its own with the command line as written; elsewhere the program named by
// KESSIK_RESBUILD with the arguments as they stand, else resbuild.exe through
// wine. When neither is there, request is empty and error says so.
struct ToolLaunch {
  platform::ProcessRequest request;
  std::string programShown;  // the program tried, for messages (cp1251)
  std::string error;         // cp1251; set when nothing can be started
};
ToolLaunch planToolLaunch(const std::string& programDir, const ToolCall& call, const HostFacts& facts);

// The message when the tool could not be started (cp1251).
std::string toolNotStartedMessage(const std::string& programShown, const std::string& reason);

// Starts the real tool and waits for it. The plain runner blocks in the
// kernel; the RUNNING window overrides waitFor to keep its event loop going.
class HostToolRunner : public ToolRunner {
 public:
  explicit HostToolRunner(std::string programDir, HostFacts facts = currentHostFacts());
  std::string run(const ToolCall& call) override;

 protected:
  virtual void waitFor(platform::ChildProcess& child) { child.wait(); }

 private:
  std::string programDir_;
  HostFacts facts_;
};

}  // namespace kessik::archives
