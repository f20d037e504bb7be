// Starting other programs: the archive tool (started, then waited on), the
// game and a text viewer (started and left alone).
//
// Waiting never spins: ChildProcess::wait() blocks in the kernel until the
// child ends. A window that must keep painting meanwhile calls wait() on a
// helper thread and lets that thread post back to its event loop.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessik::platform {

struct ProcessRequest {
  // The program file as a host path. Elsewhere than on Windows a bare name
  // without a separator is looked up on PATH.
  std::filesystem::path program;
  // Elsewhere than on Windows: argv[1...], passed as bytes as they stand.
  std::vector<std::string> arguments;
  // On Windows: the command line exactly as written (cp1251). When empty it is
  // built from the program and the arguments with the usual quoting.
  std::string commandLine;
  // A Windows path (cp1251); empty: the child inherits the current folder.
  std::string workingFolder;
  // On Windows: the child gets a console window of its own, shown normally.
  bool newConsole = false;
};

// A started child that will be waited on. Moving it moves the duty to wait.
// The destructor does not block: a child still running then is left to run
// and is reaped in the background.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool valid() const;
  // Blocks until the child has ended (without using the processor) and returns
  // its exit code; -1 when it was killed by a signal or is not valid. Safe to
  // call from another thread than the one that started the child, as long as
  // only one thread touches the object at a time.
  int wait();
  // True when the child has ended; does not block.
  bool finished();

 private:
  friend std::optional<ChildProcess> startProcess(const ProcessRequest&, std::string*);
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int pid_ = -1;
#endif
  bool ended_ = false;
  int exitCode_ = -1;
};

// Starts a program whose end the caller will wait for. Nothing when it could
// not be started (missing program, not executable, missing working folder);
// *error then says why (host wording, UTF-8 on POSIX, cp1251 on Windows).
// The child inherits the environment and the three standard streams but no
// other handle.
std::optional<ChildProcess> startProcess(const ProcessRequest& request, std::string* error = nullptr);

// Starts a program and does not watch it (no zombie is left behind). True
// when it was started.
bool startDetached(const ProcessRequest& request, std::string* error = nullptr);

// Starts a program given by its Windows path (the game's starter.exe) with
// no arguments, in its own folder, without waiting. Elsewhere than on Windows
// a Windows program (".exe", ".com", ".bat") runs through wine when wine is
// on PATH. True when it was started.
bool startWindowsProgram(std::string_view windowsPath);

// Shows a plain-text file (a Windows path) in a viewer without waiting:
// notepad.exe on Windows, xdg-open elsewhere. True when the viewer started.
bool openTextViewer(std::string_view windowsPath);

// The host path of a program found on PATH (elsewhere than on Windows; on
// Windows, nothing).
std::optional<std::filesystem::path> findOnPath(std::string_view name);

}  // namespace kessik::platform
