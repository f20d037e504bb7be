// The version information of a program file: ten texts read from its
// version resource. On Windows the file's real version resource is read;
// elsewhere no program file carries one, so the version data built into this
// program is returned for it, and About shows the same on every host.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kessik::platform {

class TVerInfoFromFile {
 public:
  // The ten values (cp1251), "n/a" when the file does not hold one.
  std::string CompanyName = "n/a", FileDescription = "n/a", FileVersion = "n/a", InternalName = "n/a",
              LegalCopyright = "n/a", OriginalFilename = "n/a", ProductName = "n/a", ProductVersion = "n/a",
              Comments = "n/a", CraftedBy = "n/a";
  // The size of the version-information block, the block, the scratch value
  // the system hands back with it, the language (four upper-case hexadecimal
  // digits) and language + code page (eight), which name the string table.
  std::uint32_t InfoSize = 0;
  std::uint32_t Handle = 0;
  std::string Block;
  std::uint32_t Scratch = 0;
  std::string Lang;
  std::string LangCharset;

  // Reads the version information of a program file (a Windows path; empty:
  // this program's own file); the values the file does not hold read as
  // "n/a". Returns true.
  bool read(const std::string& programFile);

  // The ten names in their order, and the value under each.
  static const std::array<std::string_view, 10>& names();
  std::string& value(std::size_t index);

  // Fills the values from a translation (language, code page), when there is
  // one, and a lookup of "\StringFileInfo\<lang+codepage>\<name>" paths that
  // yields nothing for a missing value. Without a translation every value is
  // "n/a".
  using Lookup = std::function<std::optional<std::string>(const std::string& path)>;
  void fill(std::optional<std::pair<std::uint16_t, std::uint16_t>> translation, const Lookup& lookup);
};

// The version information of this program, read once.
const TVerInfoFromFile& programVersionInfo();

}  // namespace kessik::platform
