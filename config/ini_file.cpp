#include "config/ini_file.h"

namespace kessik {
namespace {

char upperLatin(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool headerOpens(std::string_view line, std::string_view section) {
  if (line.size() < section.size() + 2 || line.front() != '[' || line[section.size() + 1] != ']') return false;
  for (std::size_t i = 0; i < section.size(); ++i)
    if (upperLatin(line[i + 1]) != upperLatin(section[i])) return false;
  return true;
}

// The key of a key line; nothing for any other line.
std::optional<std::string_view> keyOf(std::string_view line) {
  if (line.empty() || line.starts_with("//")) return std::nullopt;
  auto eq = line.find('=');
  if (eq == std::string_view::npos || eq == 0) return std::nullopt;
  return line.substr(0, eq);
}

}  // namespace

bool TAnIniFile::LoadFromFile(std::string_view path) {
  if (!buf_.LoadFromFile(path)) return false;
  // Lines end in CR LF. A file whose lines end in LF or CR alone (edited with
  // another tool) is read as if they ended in CR LF: otherwise it would be
  // one long line, every key would read as empty and each write would add
  // the key again. The next write saves it with CR LF.
  const ByteString& data = buf_.data();
  bool lone = false;
  for (std::size_t i = 0; i < data.size() && !lone; ++i)
    lone = (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) || (data[i] == '\r' && (i + 1 == data.size() || data[i + 1] != '\n'));
  if (lone) {
    ByteString fixed;
    fixed.reserve(data.size() + data.size() / 16);
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (data[i] == '\r') {
        fixed += "\r\n";
        if (i + 1 < data.size() && data[i + 1] == '\n') ++i;
      } else if (data[i] == '\n') {
        fixed += "\r\n";
      } else {
        fixed += data[i];
      }
    }
    buf_.Assign(std::move(fixed));
  }
  return true;
}

bool TAnIniFile::SaveToFile(std::string_view path) { return buf_.SaveToFile(path); }

void TAnIniFile::Clear() { buf_.Clear(); }

std::int64_t TAnIniFile::nextLine(std::int64_t position) const {
  std::int64_t end = buf_.LineEnd(position);
  return end + 2 <= buf_.Size() + 1 ? end + 2 : buf_.Size() + 1;
}

bool TAnIniFile::startsWithBracket(std::int64_t position) const {
  return position >= 1 && position <= buf_.Size() && buf_.data()[static_cast<std::size_t>(position - 1)] == '[';
}

std::int64_t TAnIniFile::findSection(std::string_view section) const {
  for (std::int64_t p = 1; p <= buf_.Size(); p = nextLine(p))
    if (startsWithBracket(p) && headerOpens(buf_.LineAt(p), section)) return p;
  return 0;
}

TAnIniFile::KeyPlace TAnIniFile::findKey(std::string_view section, std::string_view key) {
  KeyPlace place;
  place.header = findSection(section);
  if (place.header == 0) return place;
  std::int64_t p = nextLine(place.header);
  if (p > buf_.Size()) return place;
  if (startsWithBracket(p)) {
    // A section without lines gets one empty line after its header.
    buf_.InsertAt("\r\n", buf_.LineEnd(place.header));
    return place;
  }
  for (; p <= buf_.Size(); p = nextLine(p)) {
    std::string line = buf_.LineAt(p);
    if (line.empty()) continue;
    if (line.front() == '[') break;
    auto k = keyOf(line);
    if (k && *k == key) {
      place.line = p;
      break;
    }
  }
  return place;
}

std::string TAnIniFile::ReadString(std::string_view section, std::string_view key) {
  KeyPlace place = findKey(section, key);
  if (place.line == 0) return {};
  std::string line = buf_.LineAt(place.line);
  return line.substr(line.find('=') + 1);
}

std::optional<std::int32_t> TAnIniFile::parseInteger(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t TAnIniFile::ReadInteger(std::string_view section, std::string_view key) {
  return parseInteger(ReadString(section, key)).value_or(0);
}

bool TAnIniFile::ReadBool(std::string_view section, std::string_view key) {
  return parseInteger(ReadString(section, key)) == 1;
}

void TAnIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 3);
  line.append(key).append("=").append(value);

  KeyPlace place = findKey(section, key);
  if (place.line != 0) {
    buf_.ReplaceLineAt(line, place.line);
    return;
  }
  line += "\r\n";
  std::string& data = buf_.data();
  if (place.header != 0) {
    // Walk the section's lines until the next line is a header or the end.
    std::int64_t last = place.header;
    for (;;) {
      std::int64_t next = nextLine(last);
      if (next > buf_.Size()) {
        // A last line ending in a lone CR gets its LF; a line break added
        // after that CR would hide the new key behind it.
        if (data.back() == '\r')
          data += '\n';
        else if (data.back() != '\n')
          data += "\r\n";
        data += line;
        return;
      }
      if (startsWithBracket(next)) break;
      last = next;
    }
    // Before the next header: keep one empty line between the new key and it.
    std::int64_t end = buf_.LineEnd(last);
    if (end > last) {
      buf_.InsertAt("\r\n", end);
      buf_.InsertAt(line, end + 2);
    } else {
      buf_.InsertAt(line, last);
    }
    return;
  }
  // A new section at the end, after one empty line.
  if (!data.empty() && data.back() != '\n')
    data += "\r\n\r\n";
  else if (data.size() > 3 && data[data.size() - 3] != '\n')
    data += "\r\n";
  data.push_back('[');
  data.append(section).append("]\r\n").append(line);
}

void TAnIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TAnIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace kessik
