// Runs a program as a child process with standard input from /dev/null and
// its standard output and error caught in files of a folder: for the tests
// that run a real command-line tool (POSIX hosts only).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace kessik::test {

struct ChildRun {
  int status = -1;  // the exit status; 128 when it did not exit normally
  std::string out, err;
};

inline std::string fileContents(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs program with args (argv[0] is the program), catching its output in
// scratch/.out and scratch/.err, which are removed afterwards.
inline ChildRun runChild(const std::string& program, std::vector<std::string> args,
                         const std::filesystem::path& scratch) {
  const auto out = scratch / ".out", err = scratch / ".err";
  posix_spawn_file_actions_t io;
  posix_spawn_file_actions_init(&io);
  posix_spawn_file_actions_addopen(&io, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&io, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&io, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ChildRun r;
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &io, nullptr, argv.data(), environ) == 0) {
    int ws = 0;
    waitpid(pid, &ws, 0);
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128;
  }
  posix_spawn_file_actions_destroy(&io);
  r.out = fileContents(out);
  r.err = fileContents(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

}  // namespace kessik::test
