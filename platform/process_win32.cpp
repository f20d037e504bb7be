#include <windows.h>

#include <cwchar>

#include "platform/host.h"
#include "platform/process.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik::platform {
namespace {

std::string lastErrorText() {
  DWORD code = GetLastError();
  char buf[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) buf[--n] = '\0';
  return n ? std::string(buf, n) : "error " + std::to_string(code);
}

// Quotes one argument by the rules the C runtime uses to split a command line.
void appendQuoted(std::wstring& out, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    out += arg;
    return;
  }
  out += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
}

// CreateProcess with the program and the command line as given; the child
// inherits no handle. Returns the process handle, or null with *error set.
HANDLE create(const fs::path& program, std::wstring commandLine, const std::string& workingFolder, bool newConsole,
              std::string* error) {
  std::wstring cwd = widen(workingFolder);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  commandLine.push_back(L'\0');
  BOOL ok = CreateProcessW(program.empty() ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           newConsole ? CREATE_NEW_CONSOLE : 0, nullptr, cwd.empty() ? nullptr : cwd.c_str(), &si,
                           &pi);
  if (!ok) {
    if (error) *error = lastErrorText();
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

HANDLE createFromRequest(const ProcessRequest& r, std::string* error) {
  std::wstring cl;
  if (!r.commandLine.empty()) {
    cl = widen(r.commandLine);
  } else {
    appendQuoted(cl, r.program.native());
    for (const auto& a : r.arguments) {
      cl += L' ';
      appendQuoted(cl, widen(a));
    }
  }
  return create(r.program, cl, r.workingFolder, r.newConsole, error);
}

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : handle_(other.handle_), ended_(other.ended_), exitCode_(other.exitCode_) {
  other.handle_ = nullptr;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    this->~ChildProcess();
    handle_ = other.handle_;
    ended_ = other.ended_;
    exitCode_ = other.exitCode_;
    other.handle_ = nullptr;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

bool ChildProcess::valid() const { return handle_ != nullptr; }

int ChildProcess::wait() {
  if (!handle_) return -1;
  if (!ended_) {
    WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
    DWORD code = 0;
    exitCode_ = GetExitCodeProcess(static_cast<HANDLE>(handle_), &code) ? static_cast<int>(code) : -1;
    ended_ = true;
  }
  return exitCode_;
}

bool ChildProcess::finished() {
  if (!handle_ || ended_) return true;
  if (WaitForSingleObject(static_cast<HANDLE>(handle_), 0) != WAIT_OBJECT_0) return false;
  return wait(), true;
}

std::optional<ChildProcess> startProcess(const ProcessRequest& request, std::string* error) {
  HANDLE h = createFromRequest(request, error);
  if (!h) return std::nullopt;
  ChildProcess child;
  child.handle_ = h;
  return child;
}

bool startDetached(const ProcessRequest& request, std::string* error) {
  HANDLE h = createFromRequest(request, error);
  if (!h) return false;
  CloseHandle(h);
  return true;
}

bool startWindowsProgram(std::string_view windowsPath) {
  ProcessRequest r;
  r.program = fs::path(widen(windowsPath));
  r.workingFolder = folderPart(windowsPath);
  return startDetached(r);
}

bool openTextViewer(std::string_view windowsPath) {
  std::wstring cl = L"notepad.exe " + widen(windowsPath);
  HANDLE h = create(fs::path(), cl, std::string(), false, nullptr);
  if (!h) return false;
  CloseHandle(h);
  return true;
}

std::optional<fs::path> findOnPath(std::string_view) { return std::nullopt; }

}  // namespace kessik::platform
