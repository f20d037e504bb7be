#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/host.h"
#include "platform/process.h"
#include "util/cp1251.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik::platform {
namespace {

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Why a program could not be started, in the program's own language (UTF-8,
// as host texts are); the system's text is added for what is not named here.
std::string reasonText(int err) {
  switch (err) {
    case ENOENT: return "нет такого файла или папки";
    case EACCES:
    case EPERM: return "нет доступа";
    case ENOEXEC: return "файл не является программой";
    case ENOTDIR: return "часть пути не является папкой";
    case ENAMETOOLONG: return "слишком длинный путь";
    case ELOOP: return "в пути слишком много символьных ссылок";
    case ENOMEM: return "не хватает памяти";
    case EMFILE:
    case ENFILE: return "открыто слишком много файлов";
    case EAGAIN: return "система не может сейчас запустить ещё один процесс";
    case ETXTBSY: return "файл программы занят";
    case EIO: return "ошибка ввода-вывода";
    default: break;
  }
  return "системная ошибка " + std::to_string(err) + ": " + std::strerror(err);
}

bool isExecutableFile(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

// Marks every descriptor above the standard streams close-on-exec, so that the
// child inherits none of ours. Runs between fork and exec: system calls only.
void closeInheritedDescriptors() {
#ifdef CLOSE_RANGE_CLOEXEC
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
  long limit = ::sysconf(_SC_OPEN_MAX);
  if (limit < 0 || limit > 65536) limit = 65536;
  for (int fd = 3; fd < limit; ++fd) {
    int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  }
}

[[noreturn]] void failInChild(int pipeFd, int err) {
  ssize_t n = ::write(pipeFd, &err, sizeof err);
  (void)n;
  ::_exit(127);
}

// Forks and execs. With detach the child is a grandchild of ours (the middle
// process ends at once and is reaped here), so nothing is left to wait for.
// The exec's failure comes back through a close-on-exec pipe.
bool spawn(const ProcessRequest& request, bool detach, pid_t* pidOut, std::string* error) {
  fs::path program = request.program;
  if (program.empty()) {
    setError(error, "программа не указана");
    return false;
  }
  if (program.native().find('/') == std::string::npos) {
    auto found = findOnPath(program.native());
    if (!found) {
      setError(error, program.native() + ": не найдена в PATH");
      return false;
    }
    program = *found;
  }
  std::string cwd;
  if (!request.workingFolder.empty()) {
    auto host = toHost(request.workingFolder);
    if (!host) {
      setError(error, cp1251ToUtf8(request.workingFolder) + ": нет такого диска");
      return false;
    }
    cwd = host->native();
  }

  // Everything the child needs is prepared before the fork.
  std::string programText = program.native();
  std::vector<char*> argv;
  argv.push_back(programText.data());
  std::vector<std::string> args = request.arguments;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    setError(error, reasonText(errno));
    return false;
  }
  pid_t pid = ::fork();
  if (pid < 0) {
    int err = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    setError(error, reasonText(err));
    return false;
  }
  if (pid == 0) {
    ::close(fds[0]);
    if (detach) {
      pid_t inner = ::fork();
      if (inner < 0) failInChild(fds[1], errno);
      if (inner > 0) ::_exit(0);
      ::setsid();
    }
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) failInChild(fds[1], errno);
    closeInheritedDescriptors();
    ::execv(programText.c_str(), argv.data());
    failInChild(fds[1], errno);
  }
  ::close(fds[1]);
  int childErr = 0;
  ssize_t got;
  do {
    got = ::read(fds[0], &childErr, sizeof childErr);
  } while (got < 0 && errno == EINTR);
  ::close(fds[0]);
  if (detach || got > 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (got > 0) {
    std::string what = reasonText(childErr);
    if (!cwd.empty() && childErr == ENOENT && !fs::is_directory(cwd)) {
      setError(error, cwd + ": " + what);
    } else {
      setError(error, programText + ": " + what);
    }
    return false;
  }
  if (pidOut) *pidOut = pid;
  return true;
}

bool isWindowsProgram(std::string_view path) {
  std::string lower = lowerCase(fileNamePart(path));
  auto ends = [&](std::string_view e) {
    return lower.size() >= e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
  };
  return ends(".exe") || ends(".com") || ends(".bat");
}

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), ended_(other.ended_), exitCode_(other.exitCode_) {
  other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    this->~ChildProcess();
    pid_ = other.pid_;
    ended_ = other.ended_;
    exitCode_ = other.exitCode_;
    other.pid_ = -1;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !ended_) {
    pid_t pid = pid_;
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  pid_ = -1;
}

bool ChildProcess::valid() const { return pid_ > 0; }

static int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

int ChildProcess::wait() {
  if (pid_ <= 0) return -1;
  if (!ended_) {
    int status = 0;
    pid_t r;
    do {
      r = ::waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    ended_ = true;
    exitCode_ = r == pid_ ? exitCodeOf(status) : -1;
  }
  return exitCode_;
}

bool ChildProcess::finished() {
  if (pid_ <= 0) return true;
  if (ended_) return true;
  int status = 0;
  pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == 0) return false;
  ended_ = true;
  exitCode_ = r == pid_ ? exitCodeOf(status) : -1;
  return true;
}

std::optional<ChildProcess> startProcess(const ProcessRequest& request, std::string* error) {
  pid_t pid = -1;
  if (!spawn(request, false, &pid, error)) return std::nullopt;
  ChildProcess child;
  child.pid_ = pid;
  return child;
}

bool startDetached(const ProcessRequest& request, std::string* error) {
  return spawn(request, true, nullptr, error);
}

bool startWindowsProgram(std::string_view windowsPath) {
  auto host = toHost(windowsPath);
  if (!host) return false;
  ProcessRequest r;
  r.workingFolder = folderPart(windowsPath);
  if (isWindowsProgram(windowsPath)) {
    r.program = "wine";
    r.arguments = {host->native()};
  } else {
    r.program = *host;
  }
  return startDetached(r);
}

bool openTextViewer(std::string_view windowsPath) {
  auto host = toHost(windowsPath);
  if (!host) return false;
  ProcessRequest r;
  r.program = "xdg-open";
  r.arguments = {host->native()};
  return startDetached(r);
}

std::optional<fs::path> findOnPath(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
  const char* env = std::getenv("PATH");
  std::string_view path = env ? env : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    auto colon = path.find(':');
    std::string_view dir = path.substr(0, colon);
    fs::path candidate = fs::path(dir.empty() ? "." : std::string(dir)) / std::string(name);
    if (isExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    path.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

}  // namespace kessik::platform
