// The ini class of "Kessik.ini": key=value lines under [Section] headers, kept
// in a whole-file text buffer. Every line the class does not write to stays
// byte for byte as it was.
//
// Line rules:
// - Lines end at CR; a line is stepped over together with the two bytes after
//   its text (CR LF).
// - A header is a line starting with "["; it opens section S when its first
//   len(S)+2 characters equal "[S]" with a-z upper-cased on both sides. The
//   first matching header counts. A section runs to the next "[" line.
// - A key line is non-empty, does not start with "//" and has its first "="
//   at the second character or later; the key is the text before that "=",
//   compared exactly; the value is everything after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_buf.h"

namespace kessik {

class TAnIniFile {
 public:
  // Reads the whole file (with the buffer's messages); false when there is
  // no such file.
  bool LoadFromFile(std::string_view path);
  // Writes the buffer whole, replacing the file; false when nothing was written.
  bool SaveToFile(std::string_view path);
  // Empties the buffer and makes it savable.
  void Clear();

  // Looking a key up may add one empty line after a header that is directly
  // followed by another header (so that a key written there later leaves an
  // empty line before that header); hence not const.
  std::string ReadString(std::string_view section, std::string_view key);
  // An optional "-" and one or more digits, nothing else: the number (32-bit,
  // wrapping); anything else: 0.
  std::int32_t ReadInteger(std::string_view section, std::string_view key);
  // True only when the value is such a number and equals 1.
  bool ReadBool(std::string_view section, std::string_view key);

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // The integer rule of ReadInteger; nothing when the text is no number.
  static std::optional<std::int32_t> parseInteger(std::string_view text);

  TTextFileInString& buffer() { return buf_; }
  const TTextFileInString& buffer() const { return buf_; }

 private:
  // 1-based positions into the buffer; Size + 1 is the end.
  std::int64_t nextLine(std::int64_t position) const;
  bool startsWithBracket(std::int64_t position) const;
  std::int64_t findSection(std::string_view section) const;  // 0: not found
  struct KeyPlace {
    std::int64_t header = 0;  // 0: no such section
    std::int64_t line = 0;    // 0: no such key
  };
  KeyPlace findKey(std::string_view section, std::string_view key);

  TTextFileInString buf_;
};

}  // namespace kessik
