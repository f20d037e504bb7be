#include "config/settings.h"

#include <variant>

#include "config/ini_file.h"
#include "util/cp1251.h"
#include "platform/files.h"

namespace kessik {
namespace {

using Member = std::variant<std::string Settings::*, std::int32_t Settings::*, bool Settings::*>;

struct KeyDef {
  std::string_view name;
  Member member;
};

#define KEY(name) KeyDef{#name, &Settings::name}
const KeyDef kKeys[] = {
    KEY(Ver),
    KEY(ZmPath),
    KEY(ZmResPath),
    KEY(ZmCdPath),
    KEY(DefalDir),
    KEY(MfHeight),
    KEY(MfWidth),
    KEY(MfTop),
    KEY(MfLeft),
    KEY(MfWstate),
    KEY(AiinfoResPath),
    KEY(DatabaseResPath),
    KEY(DatabaselmpResPath),
    KEY(FiguresResPath),
    KEY(GfxResPath),
    KEY(MaterialsResPath),
    KEY(MenusResPath),
    KEY(OutroResPath),
    KEY(RedressResPath),
    KEY(SfxResPath),
    KEY(SpeechResPath),
    KEY(TextsResPath),
    KEY(TextslmpResPath),
    KEY(TexturesResPath),
    KEY(DatabaseResIsh),
    KEY(DatabaselmpResIsh),
    KEY(TextsEdStart),
    KEY(OptStandRes),
    KEY(TxtEdDlgFiltList),
    KEY(TxtEdDlgActFilt),
    KEY(TxtEdDlg1Click),
    KEY(TxtEdDlgUseCritSiz),
    KEY(TxtEdDlgCritSiz),
    KEY(TxtEdDlgWordWrap),
};
#undef KEY

const KeyDef* findKey(std::string_view key) {
  for (const auto& k : kKeys)
    if (k.name == key) return &k;
  return nullptr;
}

}  // namespace

Settings& settings() {
  static Settings s;
  return s;
}

TAnIniFile& iniFile() {
  static TAnIniFile ini;
  return ini;
}

const std::vector<SettingKey>& settingKeys() {
  static const std::vector<SettingKey> keys = [] {
    std::vector<SettingKey> out;
    for (const auto& k : kKeys) {
      SettingKind kind = std::holds_alternative<std::string Settings::*>(k.member)    ? SettingKind::Text
                         : std::holds_alternative<std::int32_t Settings::*>(k.member) ? SettingKind::Integer
                                                                                        : SettingKind::Flag;
      out.push_back({k.name, kind});
    }
    return out;
  }();
  return keys;
}

bool isSettingKey(std::string_view key) { return findKey(key) != nullptr; }

std::string settingText(const Settings& s, std::string_view key) {
  const KeyDef* k = findKey(key);
  if (!k) return {};
  if (auto m = std::get_if<std::string Settings::*>(&k->member)) return s.**m;
  if (auto m = std::get_if<std::int32_t Settings::*>(&k->member)) return std::to_string(s.**m);
  return s.*std::get<bool Settings::*>(k->member) ? "1" : "0";
}

void readSettings(TAnIniFile& ini, Settings& s) {
  for (const auto& k : kKeys) {
    if (auto m = std::get_if<std::string Settings::*>(&k.member))
      s.**m = ini.ReadString(kIniSection, k.name);
    else if (auto m = std::get_if<std::int32_t Settings::*>(&k.member))
      s.**m = ini.ReadInteger(kIniSection, k.name);
    else
      s.*std::get<bool Settings::*>(k.member) = ini.ReadBool(kIniSection, k.name);
  }
}

bool writeSetting(TAnIniFile& ini, const Settings& s, std::string_view key) {
  const KeyDef* k = findKey(key);
  if (!k) return false;
  if (auto m = std::get_if<std::string Settings::*>(&k->member))
    ini.WriteString(kIniSection, k->name, s.**m);
  else if (auto m = std::get_if<std::int32_t Settings::*>(&k->member))
    ini.WriteInteger(kIniSection, k->name, s.**m);
  else
    ini.WriteBool(kIniSection, k->name, s.*std::get<bool Settings::*>(k->member));
  return true;
}

namespace {

template <typename Keys>
bool saveKeys(const Keys& keys) {
  for (const auto& key : keys)
    if (!isSettingKey(key)) return false;
  Settings& s = settings();
  TAnIniFile& ini = iniFile();
  // A file that is there but could not be read is left alone: writing now
  // would replace it with one that holds only these keys.
  if (ini.LoadFromFile(s.IniFilePath) && ini.buffer().Size() == 0 && fileSize64(s.IniFilePath) > 0) return false;
  for (const auto& key : keys) writeSetting(ini, s, key);
  return ini.SaveToFile(s.IniFilePath);
}

}  // namespace

bool saveSettings(std::initializer_list<std::string_view> keys) { return saveKeys(keys); }

bool saveSettings(const std::vector<std::string>& keys) { return saveKeys(keys); }

const std::string& defaultFilterList() {
  static const std::string list = ru(
      "*|все что только можно :)|"
      "*.*|все файлы с расширением|"
      "korvel*|Корвелы|"
      "armor*|Броня|"
      "briefing*|Брифинги|"
      "camphelp*|Справка лагеря|"
      "instr*|Чертежи|"
      "litem*|Предметы для продажи|"
      "map.txt|Параметры карт|"
      "material*|Материалы|"
      "matshort*|Сокращенные названия материалов|"
      "modifier*|Руны|"
      "perk*|Перки|"
      "pers*|Имена персонажей|"
      "qitem*|Жезлы|"
      "quest*|Пейджер квестов|"
      "questitem*|Квестовые предметы|"
      "say*|Реплики на карте|"
      "spell*|Заклинания|"
      "string*|Строки|"
      "tip*|Всплывающие подсказки|"
      "tutor*|Тексты экранов подсказок|"
      "tutorial*|Настройка подсказок|"
      "unit*|Имена юнитов|"
      "weapon*|Оружие|"
      "zone*|Описание зон|"
      "*.res|резы|"
      "*.mq|МКУ-шки");
  return list;
}

void setTextEditorDefaults(Settings& s) {
  s.TxtEdDlgFiltList = defaultFilterList();
  s.TxtEdDlgActFilt = 1;
  s.TxtEdDlg1Click = false;
  s.TxtEdDlgUseCritSiz = true;
  s.TxtEdDlgCritSiz = 100000;
  s.TxtEdDlgWordWrap = true;
}

std::int32_t windowStateCode(WindowState state) {
  switch (state) {
    case WindowState::Maximized: return 1;
    case WindowState::Minimized: return 2;
    case WindowState::Normal: break;
  }
  return 3;
}

WindowState windowStateFromCode(std::int32_t code) {
  if (code == 1) return WindowState::Maximized;
  if (code == 2) return WindowState::Minimized;
  return WindowState::Normal;
}

}  // namespace kessik
