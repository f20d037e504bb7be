#include "config/startup.h"

#include <utility>

#include "config/ini_file.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

using platform::RegistryRoot;

const std::string& appCaption() {
  static const std::string caption = ru("Редактор части ресурсов ЗМ ");
  return caption;
}

// The fourteen standard archives, in the order of their keys.
void setArchivePaths(Settings& s) {
  static const std::pair<std::string Settings::*, const char*> archives[] = {
      {&Settings::AiinfoResPath, "aiinfo.res"},     {&Settings::DatabaseResPath, "database.res"},
      {&Settings::DatabaselmpResPath, "databaselmp.res"}, {&Settings::FiguresResPath, "figures.res"},
      {&Settings::GfxResPath, "gfx.res"},           {&Settings::MaterialsResPath, "materials.res"},
      {&Settings::MenusResPath, "menus.res"},       {&Settings::OutroResPath, "outro.res"},
      {&Settings::RedressResPath, "redress.res"},   {&Settings::SfxResPath, "sfx.res"},
      {&Settings::SpeechResPath, "speech.res"},     {&Settings::TextsResPath, "texts.res"},
      {&Settings::TextslmpResPath, "textslmp.res"}, {&Settings::TexturesResPath, "textures.res"},
  };
  for (const auto& [member, file] : archives) s.*member = s.ZmResPath + file;
  s.TextsEdStart = folderNameForArchive(s.TextsResPath);
}

void findGame(Settings& s, platform::Registry& registry, int screenWidth, int screenHeight) {
  if (registry.keyExists(RegistryRoot::CurrentUser, kGameKey)) {
    auto value = [&](std::string_view name) {
      return registry.readString(RegistryRoot::CurrentUser, kGamePathKey, name).value_or("");
    };
    s.ZmPath = value("WORK PATH");
    s.ZmResPath = value("RESOURCES PATH");
    s.ZmCdPath = value("CD-ROM PATH");
    messageDialog(Icon::Information, ru("ЗМ найдены по пути...") + s.ZmPath);
  } else {
    messageDialog(Icon::Warning, ru("Следов ЗМ в реестре нифига не обнаружилось :("));
    s.ZmPath = s.ProgramDir + "TempZm\\";
    s.ZmResPath = s.ZmPath + "res\\";
    s.ZmCdPath = s.ZmPath;
    if (!folderExists(s.ZmPath)) createFolderTree(s.ZmPath);
    if (!folderExists(s.ZmResPath)) createFolderTree(s.ZmResPath);
  }
  s.DefalDir = s.ProgramDir;
  s.MfHeight = screenHeight - 50;
  s.MfWidth = screenWidth - 50;
  s.MfTop = screenHeight / 50;
  s.MfLeft = screenWidth / 50;
  s.MfWstate = windowStateCode(WindowState::Normal);
  s.DatabaseResIsh = s.ProgramDir + "bases\\database\\";
  s.DatabaselmpResIsh = s.ProgramDir + "bases\\databaselmp\\";
  if (!folderExists(s.DatabaseResIsh)) createFolderTree(s.DatabaseResIsh);
  setArchivePaths(s);
  s.OptStandRes = true;
  setTextEditorDefaults(s);
}

void useOldRecord(Settings& s, platform::Registry& registry) {
  if (!registry.keyExists(RegistryRoot::LocalMachine, kOldRecordKey)) return;
  const std::string question =
      ru("Обнаружена старая запись в реестре. Использовать ее для создания *.ini-файла конфигурации?");
  if (messageBoxEx(question, appCaption(), Icon::Question, ButtonYes | ButtonNo) == Answer::Yes) {
    auto text = [&](std::string_view name) {
      return registry.readString(RegistryRoot::LocalMachine, kOldRecordKey, name).value_or("");
    };
    // A window value that is missing (or no number) keeps the one computed
    // from the screen.
    auto number = [&](std::string_view name, std::int32_t& target) {
      if (auto v = registry.readInteger(RegistryRoot::LocalMachine, kOldRecordKey, name)) target = *v;
    };
    s.ZmPath = text("ZMPath");
    s.ZmResPath = text("ZMRezPath");
    s.DefalDir = text("DefalDir");
    number("MfHeight", s.MfHeight);
    number("MfWidth", s.MfWidth);
    number("MfTop", s.MfTop);
    number("MfLeft", s.MfLeft);
    number("MfWstate", s.MfWstate);
    std::string bases = text("PathBasesIsh");
    s.DatabaseResIsh = bases + "database\\";
    s.DatabaselmpResIsh = bases + "databaselmp\\";
    setArchivePaths(s);
  }
  if (messageBoxEx(ru("Очистить реестр от записей старых версий программы?"), appCaption(), Icon::Question,
                   ButtonYes | ButtonNo) == Answer::Yes)
    registry.deleteKey(RegistryRoot::LocalMachine, kOldRecordKey);
}

// Builds and writes the file; false when it could not be saved.
bool firstRun(Settings& s, TAnIniFile& ini, platform::Registry& registry, int screenWidth, int screenHeight) {
  findGame(s, registry, screenWidth, screenHeight);
  useOldRecord(s, registry);
  s.Ver = s.ProgramVersion;
  ini.Clear();
  for (const auto& key : settingKeys()) writeSetting(ini, s, key.name);
  return ini.SaveToFile(s.IniFilePath);
}

// Only a file of exactly "1.7.0" is brought up to date.
void upgrade(Settings& s, TAnIniFile& ini, const std::string& storedVersion) {
  if (storedVersion == s.ProgramVersion || storedVersion != "1.7.0") return;
  setTextEditorDefaults(s);
  s.Ver = s.ProgramVersion;
  for (std::string_view key : {"Ver", "TxtEdDlgFiltList", "TxtEdDlgActFilt", "TxtEdDlg1Click",
                               "TxtEdDlgUseCritSiz", "TxtEdDlgCritSiz", "TxtEdDlgWordWrap"})
    writeSetting(ini, s, key);
  // Reported only when it was written; a failed save has shown its own error.
  if (ini.SaveToFile(s.IniFilePath))
    messageBoxEx(ru("Kessik.ini обновлен до версии ") + s.ProgramVersion, ru("Информация"), Icon::Information);
}

}  // namespace

void loadConfiguration(const std::string& programDir, int screenWidth, int screenHeight,
                       platform::Registry& registry) {
  Settings& s = settings();
  s = Settings{};
  s.ProgramDir = withTrailingBackslash(programDir);
  s.IniFilePath = s.ProgramDir + std::string(kIniFileName);
  s.ProgramVersion = std::string(kProgramVersion);

  TAnIniFile& ini = iniFile();
  bool reload = true;
  if (fileExists(s.IniFilePath)) {
    ini.LoadFromFile(s.IniFilePath);
    upgrade(s, ini, ini.ReadString(kIniSection, "Ver"));
  } else {
    // When the new file cannot be written, the run goes on with the values
    // just built rather than with empty ones.
    reload = firstRun(s, ini, registry, screenWidth, screenHeight);
  }
  if (reload) ini.LoadFromFile(s.IniFilePath);
  readSettings(ini, s);

  s.DatabaseResDir = folderNameForArchive(s.DatabaseResPath);
  s.DatabaselmpResDir = folderNameForArchive(s.DatabaselmpResPath);
  s.SourcesRoot.clear();
}

}  // namespace kessik
