// Finding and ordering the lines of a section table: the filter typed above
// the table, the order a click on a column header gives, and the text match
// the search across the databases uses. Columns are those of the table: 0 is
// the record file, column c >= 1 is schema row c - 1. Texts are cp1251.
//
//   TableFilter f = parseFilter("Вес>2,5", columnNames);
//   if (f.matches([&](int c) -> const std::string& { return cellOf(line, c); })) ...
//
// Qt-free.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessik {

// A needle for matching without letter case (cp1251, Cyrillic included):
// folded once, then compared against any number of texts without copying
// them.
class FoldedText {
 public:
  FoldedText() = default;
  explicit FoldedText(std::string_view text);
  bool empty() const { return folded_.empty(); }
  // The text holds the needle somewhere, letter case aside.
  bool foundIn(std::string_view text) const;
  // The text is the needle, letter case aside.
  bool equals(std::string_view text) const;

 private:
  std::string folded_;
};

// The number a cell shows: a decimal number with "," (or "."), also in the
// E notation of the number display ("5E-6,0"); for a number followed by a
// label ("0     ELEMENTAL") the number before the first blank. Nothing for
// any other text ("NAN" included).
std::optional<double> cellNumber(std::string_view text);

// The filter line:
//   TEXT        any cell holds TEXT, letter case aside;
//   NAME=TEXT   a column whose name begins with NAME (letter case aside)
//               holds a cell matching TEXT as a whole: "*" and "?" as
//               wildcards, letter case aside; numbers compare as numbers
//               ("5" matches "5,0");
//   NAME>N, NAME<N   such a column's cell is a number above (below) N.
// Blanks around NAME and the value are ignored. A NAME that begins no column's name, or a
// comparison with no number after it, makes the whole line plain TEXT.
// The empty line matches every line.
class TableFilter {
 public:
  enum class Kind { All, Any, Equals, Greater, Less };

  Kind kind() const { return kind_; }
  const std::vector<int>& columns() const { return columns_; }

  // Cell c of the line being tested.
  using CellAt = std::function<std::string_view(int column)>;
  bool matches(const CellAt& cell, int columnCount) const;

 private:
  friend TableFilter parseFilter(std::string_view line, const std::vector<std::string>& columnNames);
  Kind kind_ = Kind::All;
  std::vector<int> columns_;  // Equals, Greater, Less: the columns named
  FoldedText needle_;         // Any
  std::string pattern_;       // Equals: the wildcard pattern
  std::optional<double> number_;
};

TableFilter parseFilter(std::string_view line, const std::vector<std::string>& columnNames);

// Orders line indices by one column, numbers as numbers: cells that are
// numbers come first in numeric order, then the others in the program's
// order ignoring case; equal cells keep their order. Descending reverses the
// order of the keys (equal cells still keep theirs).
void sortLines(std::vector<int>& lines, const std::function<std::string_view(int line)>& cellOf, bool descending);

}  // namespace kessik
