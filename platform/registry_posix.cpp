// Hosts without a registry of their own. When a Wine prefix is there, its
// registry files are read: user.reg holds HKEY_CURRENT_USER and system.reg
// HKEY_LOCAL_MACHINE, in the text format Wine writes:
//
//   [Software\\Kessikor] 1796922443
//   #time=1dd88c8ec5e7488
//   "MfHeight"=dword:000002bc
//   "PathBasesIsh"="C:\\\x41c\x43e\x434\x44b\\bases\\"
//
// Key and value names compare without regard to ASCII case, as in the
// registry. The prefix is never written: deleting a key leaves it there.
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/host.h"
#include "platform/registry.h"
#include "util/cp1251.h"

namespace kessik::platform {
namespace {

std::string foldCase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted, escaped text starting at s[pos] == '"' up to its closing
// quote (the text is UTF-8 with \\, \", \n, \r, \t, \0 and \xHHHH escapes);
// pos is left after the closing quote. Nothing when the text is cut short.
std::optional<std::string> unquote(std::string_view s, std::size_t& pos, char close = '"') {
  std::string out;
  ++pos;
  while (pos < s.size()) {
    char c = s[pos++];
    if (c == close) return out;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= s.size()) return std::nullopt;
    char e = s[pos++];
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x': {
        std::uint32_t cp = 0;
        int digits = 0;
        while (digits < 4 && pos < s.size() && hexDigit(s[pos]) >= 0) {
          cp = cp * 16 + static_cast<std::uint32_t>(hexDigit(s[pos++]));
          ++digits;
        }
        if (digits == 0) return std::nullopt;
        appendUtf8(out, cp);
        break;
      }
      default: out += e; break;  // \\ \" and anything else stand for themselves
    }
  }
  return std::nullopt;
}

// A key section header "[Software\\Kessikor] 1796922443" -> "Software\Kessikor".
std::optional<std::string> keyOfHeader(std::string_view line) {
  std::size_t pos = 0;
  auto name = unquote(line, pos, ']');
  if (!name) return std::nullopt;
  return name;
}

class WineRegistry : public Registry {
 public:
  explicit WineRegistry(const std::filesystem::path& prefix) {
    load(RegistryRoot::CurrentUser, prefix / "user.reg");
    load(RegistryRoot::LocalMachine, prefix / "system.reg");
  }

  bool keyExists(RegistryRoot root, std::string_view key) override {
    for (const std::string& k : viewsOf(root, key))
      for (const auto& [id, values] : keys_)
        if (id.first == root && (id.second == k || id.second.starts_with(k + "\\"))) return true;
    return false;
  }
  std::optional<std::string> readString(RegistryRoot root, std::string_view key, std::string_view name) override {
    const Value* v = find(root, key, name);
    if (!v || !v->text) return std::nullopt;
    // A text cp1251 cannot hold is never altered: it reads as missing.
    return utf8ToCp1251(*v->text);
  }
  std::optional<std::int32_t> readInteger(RegistryRoot root, std::string_view key, std::string_view name) override {
    const Value* v = find(root, key, name);
    if (!v || !v->number) return std::nullopt;
    return v->number;
  }
  bool deleteKey(RegistryRoot, std::string_view) override { return false; }

 private:
  struct Value {
    std::optional<std::string> text;  // UTF-8
    std::optional<std::int32_t> number;
  };
  using Values = std::map<std::string, Value>;  // by folded name; "" is the default value

  // The folded names a key is looked up under, in order. The program reads
  // the registry as a 32-bit program does: in a 64-bit prefix its keys under
  // HKLM\Software live in Software\Wow6432Node; the plain key is read after.
  std::vector<std::string> viewsOf(RegistryRoot root, std::string_view key) const {
    std::string k = foldCase(cp1251ToUtf8(normalizedRegistryKey(key)));
    const std::string software = "software\\";
    if (root == RegistryRoot::LocalMachine && win64_ && k.starts_with(software) &&
        !k.starts_with(software + "wow6432node"))
      return {software + "wow6432node\\" + k.substr(software.size()), k};
    return {k};
  }

  const Value* find(RegistryRoot root, std::string_view key, std::string_view name) const {
    for (const std::string& k : viewsOf(root, key)) {
      auto it = keys_.find({root, k});
      if (it == keys_.end()) continue;
      auto v = it->second.find(foldCase(cp1251ToUtf8(name)));
      return v == it->second.end() ? nullptr : &v->second;
    }
    return nullptr;
  }

  void load(RegistryRoot root, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    std::string line;
    Values* current = nullptr;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == "#arch=win64") win64_ = true;
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        auto key = keyOfHeader(line);
        current = key ? &keys_[{root, foldCase(normalizedRegistryKey(*key))}] : nullptr;
        continue;
      }
      if (!current || (line[0] != '"' && line[0] != '@')) continue;  // continuation lines of hex data
      std::size_t pos = 0;
      std::string name;
      if (line[0] == '@') {
        pos = 1;
      } else {
        auto n = unquote(line, pos);
        if (!n) continue;
        name = *n;
      }
      if (pos >= line.size() || line[pos] != '=') continue;
      ++pos;
      std::string_view rest = std::string_view(line).substr(pos);
      Value value;
      if (rest.starts_with("str(2):")) {
        pos += 7;
        rest = rest.substr(7);
      }
      if (rest.starts_with("\"")) {
        value.text = unquote(line, pos);
        if (!value.text) continue;
      } else if (rest.starts_with("dword:")) {
        std::uint32_t n = 0;
        std::size_t digits = 0;
        for (char c : rest.substr(6)) {
          if (hexDigit(c) < 0 || digits == 8) break;
          n = n * 16 + static_cast<std::uint32_t>(hexDigit(c));
          ++digits;
        }
        if (digits == 0) continue;
        value.number = static_cast<std::int32_t>(n);
      } else {
        continue;  // binary and other kinds: not read by the program
      }
      (*current)[foldCase(name)] = std::move(value);
    }
  }

  std::map<std::pair<RegistryRoot, std::string>, Values> keys_;
  bool win64_ = false;  // a 64-bit prefix ("#arch=win64")
};

}  // namespace

std::unique_ptr<Registry> openHostRegistry() {
  if (auto prefix = winePrefixFolder()) return std::make_unique<WineRegistry>(*prefix);
  return std::make_unique<MemoryRegistry>();
}

}  // namespace kessik::platform
