#include "support/testenv.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <fstream>
#include <sstream>

#include "platform/host.h"
#include "util/cp1251.h"

namespace fs = std::filesystem;

namespace kessik::test {

Answer RecordingNotifier::show(const Message& m) {
  messages.push_back(m);
  if (answers.empty()) return defaultAnswer(m.buttons);
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::vector<std::string> RecordingNotifier::texts() const {
  std::vector<std::string> out;
  for (const auto& m : messages) out.push_back(cp1251ToUtf8(m.text));
  return out;
}

void TempDrive::SetUp() {
#ifdef _WIN32
  // Windows has no drive map: these tests use the real C:, which only a
  // throwaway Wine prefix may lend them (KESSIK_TEST_SCRATCH_C=1). What a
  // test adds to C:\ is removed after it.
  const char* scratch = std::getenv("KESSIK_TEST_SCRATCH_C");
  if (!scratch || std::string(scratch) != "1") GTEST_SKIP() << "needs a scratch drive C:";
  root_ = "C:\\";
  before_.clear();
  std::error_code ec;
  for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec))
    before_.push_back(it->path().filename());
  previous_ = setNotifier(&notes_);
#else
  std::string tmpl = (fs::temp_directory_path() / "kessik-test-XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  ASSERT_NE(made, nullptr);
  root_ = made;
  ::setenv("KESSIK_DRIVES", ("C=" + root_.string()).c_str(), 1);
  // A Wine prefix of the user's (~/.wine) must not add drives to the tests.
  ::setenv("WINEPREFIX", (root_ / "no-wine-prefix").c_str(), 1);
  platform::reloadDriveMap();
  previous_ = setNotifier(&notes_);
#endif
}

void TempDrive::TearDown() {
#ifdef _WIN32
  if (root_.empty()) return;
  setNotifier(previous_);
  std::error_code ec;
  std::vector<fs::path> added;
  for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec))
    if (std::find(before_.begin(), before_.end(), it->path().filename()) == before_.end())
      added.push_back(it->path());
  for (const auto& p : added) {
    for (auto it = fs::recursive_directory_iterator(p, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(p, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(p, ec);
  }
#else
  setNotifier(previous_);
  std::error_code ec;
  // Make everything writable again so that the folder can go.
  for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(root_, ec);
  ::unsetenv("KESSIK_DRIVES");
  ::unsetenv("WINEPREFIX");
  platform::reloadDriveMap();
#endif
}

fs::path TempDrive::host(const std::string& windowsPath) const {
  auto p = platform::toHost(windowsPath);
  return p ? *p : fs::path();
}

void TempDrive::writeFile(const std::string& windowsPath, const std::string& data) const {
  fs::path p = host(windowsPath);
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string TempDrive::readFile(const std::string& windowsPath) const {
  std::ifstream in(host(windowsPath), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool TempDrive::hostExists(const std::string& windowsPath) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(host(windowsPath), ec));
}

std::string cp(const std::string& utf8) { return ru(utf8); }

std::string bytes(const std::string& hexText) {
  std::string out;
  int nibble = -1;
  for (char c : hexText) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (nibble < 0) nibble = v;
    else { out += static_cast<char>(nibble * 16 + v); nibble = -1; }
  }
  return out;
}

std::string hex(const std::string& data) {
  std::string out;
  char buf[4];
  for (unsigned char c : data) {
    std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", c);
    out += buf;
  }
  return out;
}

}  // namespace kessik::test
