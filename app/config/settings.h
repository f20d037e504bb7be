// The program's settings: the 34 keys of "Kessik.ini" held for the run, and
// the values computed for the run only. Qt-free; the windows read them from
// the one global instance and change a key through changeSetting().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kessik {

class TAnIniFile;

struct Settings {
  // Stored keys, in the order the first run writes them.
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
  std::string DatabaseResDir, DatabaselmpResDir;
  std::string SourcesRoot;
};

// The settings of this run.
Settings& settings();

}  // namespace kessik
