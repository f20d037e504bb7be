// No program file carries a version resource here: the version data built
// into the program stands for it, the same data the Windows build's resource
// holds.
#include <map>

#include "platform/verinfo.h"
#include "util/cp1251.h"

namespace kessik::platform {
namespace {

// Russian, Windows-1251.
constexpr std::uint16_t kLanguage = 0x0419, kCodePage = 0x04E3;

const std::map<std::string, std::string>& builtInStrings() {
  static const std::map<std::string, std::string> table = [] {
    const std::pair<const char*, const char*> utf8[] = {
        {"CompanyName", "Kessik"},
        {"FileDescription", "Редактор части ресурсов ЗМ"},
        {"FileVersion", "1.8.1.0"},
        {"InternalName", "Kessik"},
        {"LegalCopyright", "Copyright © авторы Kessik"},
        {"OriginalFilename", "Kessik.exe"},
        {"ProductName", "Kessik"},
        {"ProductVersion", "1.8.1"},
        {"Comments", "Распаковка, запаковка и правка ресурсов и баз ЗМ"},
        {"CraftedBy", "Kessik"},
    };
    std::map<std::string, std::string> t;
    for (auto [name, text] : utf8) t["\\StringFileInfo\\041904E3\\" + std::string(name)] = ru(text);
    return t;
  }();
  return table;
}

}  // namespace

bool TVerInfoFromFile::read(const std::string&) {
  InfoSize = 0;
  Handle = 0;
  Block.clear();
  Scratch = 0;
  fill(std::pair{kLanguage, kCodePage}, [](const std::string& path) -> std::optional<std::string> {
    const auto& t = builtInStrings();
    auto it = t.find(path);
    if (it == t.end()) return std::nullopt;
    return it->second;
  });
  return true;
}

}  // namespace kessik::platform
