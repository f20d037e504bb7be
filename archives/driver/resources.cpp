#include "archives/driver/resources.h"

#include "util/cp1251.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik::archives {

const std::vector<StandardArchive>& standardArchives() {
  static const std::vector<StandardArchive> rows{
      {"aiinfo.res", "aiinfo", "AiinfoResPath", &Settings::AiinfoResPath},
      {"texts.res", "texts", "TextsResPath", &Settings::TextsResPath},
      {"speech.res", "speech", "SpeechResPath", &Settings::SpeechResPath},
      {"figures.res", "figures", "FiguresResPath", &Settings::FiguresResPath},
      {"gfx.res", "gfx", "GfxResPath", &Settings::GfxResPath},
      {"materials.res", "materials", "MaterialsResPath", &Settings::MaterialsResPath},
      {"menus.res", "menus", "MenusResPath", &Settings::MenusResPath},
      {"outro.res", "outro", "OutroResPath", &Settings::OutroResPath},
      {"redress.res", "redress", "RedressResPath", &Settings::RedressResPath},
      {"sfx.res", "sfx", "SfxResPath", &Settings::SfxResPath},
      {"databaselmp.res", "databaselmp", "DatabaselmpResPath", &Settings::DatabaselmpResPath},
      {"textslmp.res", "textslmp", "TextslmpResPath", &Settings::TextslmpResPath},
      {"textures.res", "textures", "TexturesResPath", &Settings::TexturesResPath},
      {"database.res", "database", "DatabaseResPath", &Settings::DatabaseResPath},
  };
  return rows;
}

const std::vector<StandardArchive>& archivePathsOrder() {
  static const std::vector<StandardArchive> rows = [] {
    std::vector<StandardArchive> r;
    for (std::string_view name : {"aiinfo.res", "database.res", "databaselmp.res", "figures.res", "gfx.res",
                                  "materials.res", "menus.res", "outro.res", "redress.res", "sfx.res", "speech.res",
                                  "texts.res", "textslmp.res", "textures.res"})
      for (const auto& a : standardArchives())
        if (a.fileName == name) r.push_back(a);
    return r;
  }();
  return rows;
}

RowState rowState(const std::string& archivePath) {
  RowState s;
  s.unpack = !archivePath.empty() && pathExists(archivePath);
  s.pack = !archivePath.empty() && folderExists(folderNameForArchive(archivePath));
  return s;
}

bool liesInFolder(const std::string& file, const std::string& folder) {
  if (folder.empty()) return false;
  const std::string f = withTrailingBackslash(folder);
  return file.size() > f.size() && compareIgnoringCase(std::string_view(file).substr(0, f.size()), f) == 0;
}

std::string moveAside(const std::string& file) {
  for (int n = 1; n < 1000; ++n) {
    std::string name = file + ".old" + (n == 1 ? std::string() : std::to_string(n));
    if (pathExists(name)) continue;
    return renameFile(file, name) ? name : std::string();
  }
  return {};
}

std::string packReplacing(const std::string& archive, const std::string& folder, const PackOperation& pack) {
  if (!fileExists(archive)) return pack(archive, folder);
  setPlainAttributes(archive);
  const std::string aside = moveAside(archive);
  if (aside.empty()) {
    deleteFile(archive);
    return pack(archive, folder);
  }
  std::string result = pack(archive, folder);
  if (fileExists(archive)) {
    deleteFile(aside);
  } else {
    // Nothing was packed: the old archive comes back as it was.
    renameFile(aside, archive);
  }
  return result;
}

}  // namespace kessik::archives
