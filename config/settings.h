// The program's settings: the 34 keys of "Kessik.ini" held for the run, and
// the values computed for the run only. Qt-free; the windows read them from
// the one global instance and write a changed key back at once through
// changeSetting() / saveSettings().
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kessik {

class TAnIniFile;

inline constexpr std::string_view kProgramVersion = "1.8.1";
inline constexpr std::string_view kIniFileName = "Kessik.ini";
inline constexpr std::string_view kIniSection = "MainSettings";

struct Settings {
  // Stored keys, in the order the first run writes them. Member names are the
  // key names.
  std::string Ver;
  std::string ZmPath, ZmResPath, ZmCdPath, DefalDir;
  std::int32_t MfHeight = 0, MfWidth = 0, MfTop = 0, MfLeft = 0, MfWstate = 3;
  std::string AiinfoResPath, DatabaseResPath, DatabaselmpResPath, FiguresResPath, GfxResPath,
      MaterialsResPath, MenusResPath, OutroResPath, RedressResPath, SfxResPath, SpeechResPath,
      TextsResPath, TextslmpResPath, TexturesResPath;
  std::string DatabaseResIsh, DatabaselmpResIsh, TextsEdStart;
  bool OptStandRes = true;
  std::string TxtEdDlgFiltList;
  std::int32_t TxtEdDlgActFilt = 1;
  bool TxtEdDlg1Click = false, TxtEdDlgUseCritSiz = true;
  std::int32_t TxtEdDlgCritSiz = 100000;
  bool TxtEdDlgWordWrap = true;

  // Held for the run only.
  std::string ProgramDir;      // with trailing backslash
  std::string IniFilePath;     // ProgramDir + "Kessik.ini"
  std::string ProgramVersion;  // "1.8.1"
  std::string DatabaseResDir, DatabaselmpResDir;  // folder names for the two database archives
  std::string SourcesRoot;     // set by each section editor as it opens
};

// The settings of this run.
Settings& settings();

// The ini object of this run (the configuration file is read into it and
// written from it at start-up and at every change of a setting).
TAnIniFile& iniFile();

// ---- The keys ----

enum class SettingKind { Text, Integer, Flag };

struct SettingKey {
  std::string_view name;
  SettingKind kind;
};

// The 34 keys in the order the first run writes them.
const std::vector<SettingKey>& settingKeys();
bool isSettingKey(std::string_view key);

// The value of a key as the file holds it ("1"/"0" for flags, decimal for
// integers); empty for an unknown key.
std::string settingText(const Settings& s, std::string_view key);

// Reads every key from the ini (text, integer and flag rules; a missing key
// reads as "", 0 or false).
void readSettings(TAnIniFile& ini, Settings& s);
// Writes one key's value from s into the ini's section "MainSettings".
// False (nothing written) for an unknown key.
bool writeSetting(TAnIniFile& ini, const Settings& s, std::string_view key);

// ---- Changing settings during the run ----

// Writes the named keys from settings() to the configuration file: reads the
// file again (so every other key stays as the file holds it), writes the keys
// in the given order and saves. The caller sets the global values first.
// False when nothing was written: an unknown key (a programming error), a
// file that exists but could not be read (rather than replace it with a file
// holding only these keys), or a failed save (its message is shown).
bool saveSettings(std::initializer_list<std::string_view> keys);
bool saveSettings(const std::vector<std::string>& keys);
inline bool changeSetting(std::string_view key) { return saveSettings({key}); }

// ---- Values of some keys ----

// The first-run value of "TxtEdDlgFiltList": 28 pairs of mask and label.
const std::string& defaultFilterList();
// The six text editor settings at their first-run values.
void setTextEditorDefaults(Settings& s);

// "MfWstate": written normal 3, minimized 2, maximized 1; read 1 maximized,
// 2 minimized, anything else normal.
enum class WindowState { Normal, Minimized, Maximized };
std::int32_t windowStateCode(WindowState state);
WindowState windowStateFromCode(std::int32_t code);

}  // namespace kessik
