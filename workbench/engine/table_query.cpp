#include "workbench/engine/table_query.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "core/codecs.h"
#include "util/cp1251.h"

namespace kessik {

namespace {

// The upper case of every cp1251 byte, by the program's own rules.
const std::array<unsigned char, 256>& foldTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(upperChar(static_cast<char>(c)));
    return t;
  }();
  return table;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool hasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

}  // namespace

FoldedText::FoldedText(std::string_view text) {
  const auto& fold = foldTable();
  folded_.reserve(text.size());
  for (char c : text) folded_ += static_cast<char>(fold[static_cast<unsigned char>(c)]);
}

bool FoldedText::foundIn(std::string_view text) const {
  const std::size_t n = folded_.size();
  if (n == 0) return true;
  if (text.size() < n) return false;
  const auto& fold = foldTable();
  const auto first = static_cast<unsigned char>(folded_[0]);
  for (std::size_t i = 0; i + n <= text.size(); ++i) {
    if (fold[static_cast<unsigned char>(text[i])] != first) continue;
    std::size_t j = 1;
    while (j < n && fold[static_cast<unsigned char>(text[i + j])] == static_cast<unsigned char>(folded_[j])) ++j;
    if (j == n) return true;
  }
  return false;
}

bool FoldedText::equals(std::string_view text) const {
  return text.size() == folded_.size() && foundIn(text);
}

std::optional<double> cellNumber(std::string_view text) {
  text = trimmed(text);
  // A number with its label: the number stands before the first blank.
  if (auto blank = text.find(' '); blank != std::string_view::npos) text = text.substr(0, blank);
  if (text.empty()) return std::nullopt;
  // "5E-6,0" and "1,5E20": the number display appends ",0" to a text
  // without a separator, after the exponent too.
  if (auto e = text.find_first_of("Ee"); e != std::string_view::npos) {
    auto mantissa = parseNumber(text.substr(0, e));
    std::string_view exponent = text.substr(e + 1);
    if (exponent.size() > 2 && exponent.substr(exponent.size() - 2) == ",0") exponent.remove_suffix(2);
    if (!exponent.empty() && exponent.front() == '+') exponent.remove_prefix(1);
    auto power = parseInt32(exponent);
    if (!mantissa || !power) return std::nullopt;
    return *mantissa * std::pow(10.0, *power);
  }
  auto v = parseNumber(text);
  if (v && std::isnan(*v)) return std::nullopt;
  return v;
}

TableFilter parseFilter(std::string_view line, const std::vector<std::string>& columnNames) {
  TableFilter f;
  if (line.empty()) return f;
  f.kind_ = TableFilter::Kind::Any;
  f.needle_ = FoldedText(line);
  const std::size_t op = line.find_first_of("=<>");
  if (op == std::string_view::npos) return f;
  const std::string_view name = trimmed(line.substr(0, op));
  const std::string_view value = trimmed(line.substr(op + 1));
  if (name.empty()) return f;
  const FoldedText prefix(name);
  std::vector<int> columns;
  for (int c = 0; c < static_cast<int>(columnNames.size()); ++c) {
    std::string_view columnName = trimmed(columnNames[c]);
    if (columnName.size() >= name.size() && prefix.equals(columnName.substr(0, name.size()))) columns.push_back(c);
  }
  if (columns.empty()) return f;
  if (line[op] == '=') {
    f.kind_ = TableFilter::Kind::Equals;
    f.pattern_ = std::string(value);
    if (!hasWildcard(value)) f.number_ = cellNumber(value);
  } else {
    auto n = cellNumber(value);
    if (!n) return f;
    f.kind_ = line[op] == '>' ? TableFilter::Kind::Greater : TableFilter::Kind::Less;
    f.number_ = n;
  }
  f.columns_ = std::move(columns);
  return f;
}

bool TableFilter::matches(const CellAt& cell, int columnCount) const {
  switch (kind_) {
    case Kind::All:
      return true;
    case Kind::Any:
      for (int c = 0; c < columnCount; ++c)
        if (needle_.foundIn(cell(c))) return true;
      return false;
    case Kind::Equals:
      for (int c : columns_) {
        const std::string_view text = cell(c);
        if (number_) {
          auto v = cellNumber(text);
          if (v && *v == *number_) return true;
        }
        if (wildcardMatch(text, pattern_)) return true;
      }
      return false;
    case Kind::Greater:
    case Kind::Less:
      for (int c : columns_) {
        auto v = cellNumber(cell(c));
        if (v && (kind_ == Kind::Greater ? *v > *number_ : *v < *number_)) return true;
      }
      return false;
  }
  return false;
}

void sortLines(std::vector<int>& lines, const std::function<std::string_view(int line)>& cellOf, bool descending) {
  struct Key {
    int line;
    bool number;
    double value;
    std::string_view text;
  };
  std::vector<Key> keys;
  keys.reserve(lines.size());
  for (int line : lines) {
    const std::string_view text = cellOf(line);
    auto v = cellNumber(text);
    keys.push_back({line, v.has_value(), v.value_or(0), text});
  }
  auto less = [](const Key& a, const Key& b) {
    if (a.number != b.number) return a.number;
    if (a.number) return a.value < b.value;
    return compareIgnoringCase(a.text, b.text) < 0;
  };
  if (descending)
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) { return less(b, a); });
  else
    std::stable_sort(keys.begin(), keys.end(), less);
  for (std::size_t i = 0; i < keys.size(); ++i) lines[i] = keys[i].line;
}

}  // namespace kessik
