#include "util/paths.h"

namespace kessik {

bool isAbsoluteWindowsPath(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char letter = path[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return false;
  return path.size() == 2 || path[2] == '\\';
}

bool isWindowsDeviceName(std::string_view fileName) {
  std::string stem(fileName.substr(0, fileName.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

std::string withTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string withoutTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string folderPart(std::string_view path) {
  auto pos = path.find_last_of("\\:");
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string fileNamePart(std::string_view path) {
  auto pos = path.find_last_of("\\:");
  return pos == std::string_view::npos ? std::string(path) : std::string(path.substr(pos + 1));
}

std::string parentFolder(std::string_view path) {
  std::string p = withoutTrailingBackslash(path);
  auto pos = p.rfind('\\');
  return pos == std::string::npos ? std::string() : p.substr(0, pos + 1);
}

std::int32_t intFromText(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::string textFromInt(std::int32_t value) { return std::to_string(value); }

std::string parseToken(std::string& text, std::string_view separators) {
  auto pos = text.find_first_of(separators);
  if (pos == std::string::npos) {
    std::string all = std::move(text);
    text.clear();
    return all;
  }
  std::string head = text.substr(0, pos);
  text.erase(0, pos + 1);
  return head;
}

std::string folderNameForArchive(std::string_view archivePath) {
  std::string p(archivePath);
  auto dot = p.rfind('.');
  if (dot == std::string::npos)
    p += "_noext";
  else
    p[dot] = '_';
  return withTrailingBackslash(p);
}

std::string archiveNameForFolder(std::string_view folderPath) {
  std::string p = withoutTrailingBackslash(folderPath);
  if (p.empty()) return p;
  if (p.size() >= 7 && p.compare(p.size() - 6, 6, "_noext") == 0) return p.substr(0, p.size() - 6);
  auto us = p.rfind('_');
  if (us == std::string::npos)
    p += ".res";
  else
    p[us] = '.';
  return p;
}

}  // namespace kessik
