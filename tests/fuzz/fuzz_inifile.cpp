// The ini class on arbitrary file bytes and a few reads and writes: nothing
// reads out of bounds, a write never removes or alters a byte it does not
// own, and on a file whose line breaks are all CR LF a written key reads back
// and every other key keeps its value.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/ini_file.h"

using kessik::TAnIniFile;

namespace {

#define check(ok)                                                 \
  do {                                                            \
    if (!(ok)) {                                                  \
      std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                               \
    }                                                             \
  } while (0)

// Every CR is followed by LF and every LF follows a CR; one lone CR may end
// the file.
bool wellFormed(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] != '\n') return false;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
  }
  return true;
}

// old with bytes inserted, nothing removed or changed.
bool onlyInserted(const std::string& old, const std::string& now) {
  std::size_t i = 0;
  for (char c : now)
    if (i < old.size() && old[i] == c) ++i;
  return i == old.size();
}

// now is old with the text of one line that held key= replaced by text.
bool replacedOneLine(const std::string& old, const std::string& now, const std::string& key, const std::string& text) {
  std::string head = key + "=";
  for (std::size_t at = old.find(head); at != std::string::npos; at = old.find(head, at + 1)) {
    std::size_t end = old.find('\r', at);
    if (end == std::string::npos) end = old.size();
    if (now == old.substr(0, at) + text + old.substr(end)) return true;
  }
  return false;
}

// A key that a key line can hold and a header cannot take.
bool usableKey(const std::string& k) {
  return !k.empty() && k.find_first_of("=\r") == std::string::npos && k.front() != '[' && !k.starts_with("//");
}

std::string readOn(const std::string& bytes, const std::string& section, const std::string& key) {
  TAnIniFile copy;
  copy.buffer().Assign(bytes);
  return copy.ReadString(section, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  int ops = in.ConsumeIntegralInRange(1, 4);
  struct Op {
    int kind;
    std::string section, key, value, otherSection, otherKey;
  };
  Op list[4];
  for (int i = 0; i < ops; ++i) {
    list[i].kind = in.ConsumeIntegralInRange(0, 4);
    list[i].section = in.ConsumeRandomLengthString(12);
    list[i].key = in.ConsumeRandomLengthString(12);
    list[i].value = in.ConsumeRandomLengthString(24);
    list[i].otherSection = in.ConsumeRandomLengthString(12);
    list[i].otherKey = in.ConsumeRandomLengthString(12);
  }
  TAnIniFile ini;
  ini.buffer().Assign(in.ConsumeRemainingBytesAsString());

  for (int i = 0; i < ops; ++i) {
    const Op& op = list[i];
    std::string before = ini.buffer().data();
    switch (op.kind) {
      case 0: {
        std::string v = ini.ReadString(op.section, op.key);
        check(v.find('\r') == std::string::npos);
        // A look-up adds at most one empty line.
        const std::string& now = ini.buffer().data();
        check(now == before || (now.size() == before.size() + 2 && onlyInserted(before, now)));
        break;
      }
      case 1: {
        auto n = ini.ReadInteger(op.section, op.key);
        check(ini.ReadBool(op.section, op.key) == (n == 1 && TAnIniFile::parseInteger(ini.ReadString(op.section, op.key))));
        break;
      }
      default: {
        std::string otherBefore = readOn(before, op.otherSection, op.otherKey);
        const std::int32_t number = static_cast<std::int32_t>(op.value.size()) - 12;
        const bool flag = op.value.size() % 2;
        const std::string written = op.kind == 2 ? op.value : op.kind == 3 ? std::to_string(number) : flag ? "1" : "0";
        if (op.kind == 2)
          ini.WriteString(op.section, op.key, op.value);
        else if (op.kind == 3)
          ini.WriteInteger(op.section, op.key, number);
        else
          ini.WriteBool(op.section, op.key, flag);
        const std::string& now = ini.buffer().data();
        // Either bytes were inserted (a bounded amount), or one line that
        // held the key got the new text in place of its own.
        bool inserted = onlyInserted(before, now) &&
                        now.size() - before.size() <= op.section.size() + op.key.size() + op.value.size() + 24;
        check(inserted || replacedOneLine(before, now, op.key, op.key + "=" + written));
        bool usable = wellFormed(before) && usableKey(op.key) && op.section.find('\r') == std::string::npos &&
                      op.value.find('\r') == std::string::npos;
        if (usable) {
          check(readOn(now, op.section, op.key) == written);
          if (op.otherKey != op.key) check(readOn(now, op.otherSection, op.otherKey) == otherBefore);
        }
        break;
      }
    }
  }
  return 0;
}
