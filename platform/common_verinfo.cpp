#include <cstdio>

#include "platform/verinfo.h"

namespace kessik::platform {

const std::array<std::string_view, 10>& TVerInfoFromFile::names() {
  static const std::array<std::string_view, 10> n{"CompanyName",      "FileDescription", "FileVersion",
                                                   "InternalName",     "LegalCopyright",  "OriginalFilename",
                                                   "ProductName",      "ProductVersion",  "Comments",
                                                   "CraftedBy"};
  return n;
}

std::string& TVerInfoFromFile::value(std::size_t index) {
  std::string* v[] = {&CompanyName,      &FileDescription, &FileVersion,    &InternalName, &LegalCopyright,
                      &OriginalFilename, &ProductName,     &ProductVersion, &Comments,     &CraftedBy};
  return *v[index];
}

void TVerInfoFromFile::fill(std::optional<std::pair<std::uint16_t, std::uint16_t>> translation,
                            const Lookup& lookup) {
  Lang.clear();
  LangCharset.clear();
  if (translation) {
    char lang[5], page[5];
    std::snprintf(lang, sizeof lang, "%04X", static_cast<unsigned>(translation->first));
    std::snprintf(page, sizeof page, "%04X", static_cast<unsigned>(translation->second));
    Lang = lang;
    LangCharset = Lang + page;
  }
  for (std::size_t i = 0; i < names().size(); ++i) {
    std::optional<std::string> found;
    if (translation && lookup) found = lookup("\\StringFileInfo\\" + LangCharset + "\\" + std::string(names()[i]));
    value(i) = found ? *found : std::string("n/a");
  }
}

const TVerInfoFromFile& programVersionInfo() {
  static const TVerInfoFromFile info = [] {
    TVerInfoFromFile v;
    v.read(std::string());
    return v;
  }();
  return info;
}

}  // namespace kessik::platform
