// Stand-in archive tool for the tests. Honours the command lines
//   a <archive> *   pack every file under the current folder into <archive>
//   e <archive> *   extract every file of <archive> into the current folder
//   o <archive> *   rewrite <archive> in place (entries sorted by name)
// where <archive> is a Windows path, mapped to the host through KESSIK_DRIVES
// like the program does. The archive format is its own:
//   "FAKERES1", entry count (u32), then per entry: name length (u32), name
//   (relative, '/' separated), data length (u64), data; all little-endian.
// Optimizing sets the eighth byte to '2'.
//
// FAKERESBUILD_LOG: a file to which each call appends one line: the current
// folder, then the arguments, separated by '|'.
// FAKERESBUILD_DELAY_MS: sleep this long before working.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
  std::string name;
  std::string data;
};

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
bool getUint(const std::string& in, std::size_t& pos, int width, std::uint64_t& v) {
  if (in.size() - pos < static_cast<std::size_t>(width) || pos > in.size()) return false;
  v = 0;
  for (int i = 0; i < width; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[pos + i])) << (8 * i);
  pos += width;
  return true;
}

bool readFile(const fs::path& p, std::string& out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

bool writeFile(const fs::path& p, const std::string& data) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out.flush());
}

std::string encode(const std::vector<Entry>& entries, char version) {
  std::string out = "FAKERES";
  out += version;
  putU32(out, static_cast<std::uint32_t>(entries.size()));
  for (const auto& e : entries) {
    putU32(out, static_cast<std::uint32_t>(e.name.size()));
    out += e.name;
    putU64(out, e.data.size());
    out += e.data;
  }
  return out;
}

bool decode(const std::string& in, std::vector<Entry>& entries) {
  if (in.size() < 12 || in.compare(0, 7, "FAKERES") != 0) return false;
  std::size_t pos = 8;
  std::uint64_t count = 0;
  if (!getUint(in, pos, 4, count)) return false;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t n = 0, len = 0;
    if (!getUint(in, pos, 4, n) || in.size() - pos < n) return false;
    Entry e;
    e.name = in.substr(pos, n);
    pos += n;
    if (!getUint(in, pos, 8, len) || in.size() - pos < len) return false;
    e.data = in.substr(pos, len);
    pos += len;
    entries.push_back(std::move(e));
  }
  return pos == in.size();
}

int fail(const std::string& text) {
  std::fprintf(stderr, "fakeresbuild: %s\n", text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  if (const char* log = std::getenv("FAKERESBUILD_LOG")) {
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << fs::current_path(ec).string();
    for (int i = 1; i < argc; ++i) out << '|' << argv[i];
    out << '\n';
  }
  if (const char* delay = std::getenv("FAKERESBUILD_DELAY_MS")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
  }
  if (argc != 4 || std::string(argv[1]).size() != 1 || std::string(argv[3]) != "*") {
    return fail("usage: fakeresbuild a|e|o <archive> *");
  }
  auto archive = kessik::platform::toHost(argv[2]);
  if (!archive) return fail(std::string("no such drive: ") + argv[2]);
  char op = argv[1][0];
  fs::path here = fs::current_path(ec);

  if (op == 'a') {
    std::vector<Entry> entries;
    fs::path archiveAbs = fs::absolute(*archive, ec);
    for (auto it = fs::recursive_directory_iterator(here, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      std::error_code same;
      if (!it->is_regular_file() || fs::equivalent(it->path(), archiveAbs, same)) continue;
      Entry e;
      e.name = fs::relative(it->path(), here).generic_string();
      if (!readFile(it->path(), e.data)) return fail("cannot read " + it->path().string());
      entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return writeFile(*archive, encode(entries, '1')) ? 0 : fail("cannot write " + archive->string());
  }

  std::string bytes;
  std::vector<Entry> entries;
  if (!readFile(*archive, bytes) || !decode(bytes, entries)) return fail("not an archive: " + archive->string());
  if (op == 'e') {
    for (const auto& e : entries) {
      fs::path target = here / e.name;
      if (e.name.empty() || e.name.find("..") != std::string::npos || target.is_absolute() != here.is_absolute()) {
        return fail("bad entry name " + e.name);
      }
      fs::create_directories(target.parent_path(), ec);
      if (!writeFile(target, e.data)) return fail("cannot write " + target.string());
    }
    return 0;
  }
  if (op == 'o') {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return writeFile(*archive, encode(entries, '2')) ? 0 : fail("cannot write " + archive->string());
  }
  return fail(std::string("unknown command ") + argv[1]);
}
