// Start-up loading of "Kessik.ini": the first run (with and without the game,
// with the old settings record), the 1.7.0 upgrade, reading the keys, and
// writing a changed setting back during the run.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "config/ini_file.h"
#include "config/settings.h"
#include "config/startup.h"
#include "support/testenv.h"

using namespace kessik;
using kessik::test::cp;
using platform::MemoryRegistry;
using platform::RegistryRoot;
namespace fs = std::filesystem;

namespace {

const char* const kProg = "C:\\prog\\";
const char* const kIni = "C:\\prog\\Kessik.ini";

// Every key line of a first run, in order, for a given resource folder and
// the program folder C:\prog\ on a 1024 x 768 screen.
std::string firstRunFile(const std::string& zm, const std::string& res, const std::string& cd) {
  std::string f = "[MainSettings]\r\nVer=1.8.1\r\nZmPath=" + zm + "\r\nZmResPath=" + res + "\r\nZmCdPath=" + cd +
                  "\r\nDefalDir=C:\\prog\\\r\nMfHeight=718\r\nMfWidth=974\r\nMfTop=15\r\nMfLeft=20\r\nMfWstate=3\r\n";
  for (const char* a : {"Aiinfo", "Database", "Databaselmp", "Figures", "Gfx", "Materials", "Menus", "Outro",
                        "Redress", "Sfx", "Speech", "Texts", "Textslmp", "Textures"}) {
    std::string file = a;
    for (auto& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    f += std::string(a) + "ResPath=" + res + file + ".res\r\n";
  }
  f += "DatabaseResIsh=C:\\prog\\bases\\database\\\r\nDatabaselmpResIsh=C:\\prog\\bases\\databaselmp\\\r\n";
  f += "TextsEdStart=" + res + "texts_res\\\r\nOptStandRes=1\r\n";
  f += "TxtEdDlgFiltList=" + defaultFilterList() + "\r\n";
  f += "TxtEdDlgActFilt=1\r\nTxtEdDlg1Click=0\r\nTxtEdDlgUseCritSiz=1\r\nTxtEdDlgCritSiz=100000\r\nTxtEdDlgWordWrap=1\r\n";
  return f;
}

}  // namespace

class Configuration : public kessik::test::TempDrive {
 protected:
  void load() { loadConfiguration(kProg, 1024, 768, registry_); }
  void addGame() {
    registry_.setString(RegistryRoot::CurrentUser, kGamePathKey, "WORK PATH", "D:\\Games\\ZM\\");
    registry_.setString(RegistryRoot::CurrentUser, kGamePathKey, "RESOURCES PATH", "D:\\Games\\ZM\\res\\");
    registry_.setString(RegistryRoot::CurrentUser, kGamePathKey, "CD-ROM PATH", "E:\\");
  }
  void addOldRecord(bool withWindow = true) {
    auto key = kOldRecordKey;
    registry_.setString(RegistryRoot::LocalMachine, key, "ZMPath", "F:\\ZM\\");
    registry_.setString(RegistryRoot::LocalMachine, key, "ZMRezPath", "F:\\ZM\\data\\");
    registry_.setString(RegistryRoot::LocalMachine, key, "DefalDir", "F:\\work\\");
    registry_.setString(RegistryRoot::LocalMachine, key, "PathBasesIsh", "F:\\bases\\");
    if (withWindow) {
      registry_.setInteger(RegistryRoot::LocalMachine, key, "MfHeight", 600);
      registry_.setInteger(RegistryRoot::LocalMachine, key, "MfWidth", 800);
      registry_.setInteger(RegistryRoot::LocalMachine, key, "MfTop", 1);
      registry_.setInteger(RegistryRoot::LocalMachine, key, "MfLeft", 2);
      registry_.setInteger(RegistryRoot::LocalMachine, key, "MfWstate", 1);
    }
  }
  const Message& message(std::size_t i) { return notes_.messages.at(i); }

  MemoryRegistry registry_;
};

TEST_F(Configuration, KeyTable) {
  const auto& keys = settingKeys();
  ASSERT_EQ(keys.size(), 34u);
  EXPECT_EQ(keys.front().name, "Ver");
  EXPECT_EQ(keys.back().name, "TxtEdDlgWordWrap");
  int texts = 0, integers = 0, flags = 0;
  for (const auto& k : keys)
    (k.kind == SettingKind::Text ? texts : k.kind == SettingKind::Integer ? integers : flags)++;
  EXPECT_EQ(texts, 23);
  EXPECT_EQ(integers, 7);
  EXPECT_EQ(flags, 4);
  const std::string& list = defaultFilterList();
  EXPECT_EQ(std::count(list.begin(), list.end(), '|'), 55);  // 28 pairs
  EXPECT_TRUE(list.starts_with(cp("*|все что только можно :)|*.*|")));
  EXPECT_TRUE(list.ends_with(cp("|*.res|резы|*.mq|МКУ-шки")));
}

TEST_F(Configuration, FirstRunWithTheGame) {
  addGame();
  load();
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(message(0).icon, Icon::Information);
  EXPECT_EQ(message(0).caption, "Information");
  EXPECT_EQ(notes_.texts()[0], "ЗМ найдены по пути...D:\\Games\\ZM\\");
  EXPECT_EQ(readFile(kIni), firstRunFile("D:\\Games\\ZM\\", "D:\\Games\\ZM\\res\\", "E:\\"));

  const Settings& s = settings();
  EXPECT_EQ(s.Ver, "1.8.1");
  EXPECT_EQ(s.ProgramDir, kProg);
  EXPECT_EQ(s.IniFilePath, kIni);
  EXPECT_EQ(s.ProgramVersion, "1.8.1");
  EXPECT_EQ(s.ZmCdPath, "E:\\");
  EXPECT_EQ(s.TextsResPath, "D:\\Games\\ZM\\res\\texts.res");
  EXPECT_EQ(s.DatabaseResDir, "D:\\Games\\ZM\\res\\database_res\\");
  EXPECT_EQ(s.DatabaselmpResDir, "D:\\Games\\ZM\\res\\databaselmp_res\\");
  EXPECT_EQ((std::tuple{s.MfHeight, s.MfWidth, s.MfTop, s.MfLeft, s.MfWstate}), (std::tuple{718, 974, 15, 20, 3}));
  EXPECT_TRUE(s.OptStandRes && s.TxtEdDlgUseCritSiz && s.TxtEdDlgWordWrap && !s.TxtEdDlg1Click);
  EXPECT_EQ(s.TxtEdDlgFiltList, defaultFilterList());
  EXPECT_TRUE(hostExists("C:\\prog\\bases\\database\\"));
  EXPECT_FALSE(hostExists("C:\\prog\\bases\\databaselmp\\"));
  EXPECT_FALSE(hostExists("C:\\prog\\TempZm\\"));
}

TEST_F(Configuration, FirstRunWithoutTheGame) {
  loadConfiguration("C:\\prog", 1280, 1024, registry_);  // trailing backslash added
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(message(0).icon, Icon::Warning);
  EXPECT_EQ(message(0).caption, "Warning");
  EXPECT_EQ(notes_.texts()[0], "Следов ЗМ в реестре нифига не обнаружилось :(");
  EXPECT_TRUE(hostExists("C:\\prog\\TempZm\\res\\"));
  EXPECT_TRUE(hostExists("C:\\prog\\bases\\database\\"));

  const Settings& s = settings();
  EXPECT_EQ(s.ZmPath, "C:\\prog\\TempZm\\");
  EXPECT_EQ(s.ZmResPath, "C:\\prog\\TempZm\\res\\");
  EXPECT_EQ(s.ZmCdPath, "C:\\prog\\TempZm\\");
  int archives = 0;
  for (const auto& k : settingKeys()) {
    if (k.name == "ZmResPath" || !k.name.ends_with("ResPath")) continue;
    ++archives;
    EXPECT_TRUE(settingText(s, k.name).starts_with(s.ZmResPath)) << k.name;
  }
  EXPECT_EQ(archives, 14);
  EXPECT_EQ(s.TextsEdStart, "C:\\prog\\TempZm\\res\\texts_res\\");
  EXPECT_EQ((std::tuple{s.MfHeight, s.MfWidth, s.MfTop, s.MfLeft}), (std::tuple{974, 1230, 20, 25}));
}

TEST_F(Configuration, GameKeyWithoutPathSettingsReadsEmptyValues) {
  registry_.addKey(RegistryRoot::CurrentUser, kGameKey);
  load();
  EXPECT_EQ(notes_.texts().at(0), "ЗМ найдены по пути...");
  EXPECT_EQ(settings().ZmPath, "");
  EXPECT_EQ(settings().AiinfoResPath, "aiinfo.res");
}

TEST_F(Configuration, OldRecordTakenAndDeleted) {
  addOldRecord();
  notes_.answers = {Answer::Ok, Answer::Yes, Answer::Yes};
  load();
  ASSERT_EQ(notes_.messages.size(), 3u);
  const std::string caption = cp("Редактор части ресурсов ЗМ ");
  EXPECT_EQ(notes_.texts()[1],
            "Обнаружена старая запись в реестре. Использовать ее для создания *.ini-файла конфигурации?");
  EXPECT_EQ(notes_.texts()[2], "Очистить реестр от записей старых версий программы?");
  for (std::size_t i : {1u, 2u}) {
    EXPECT_EQ(message(i).caption, caption);
    EXPECT_EQ(message(i).icon, Icon::Question);
    EXPECT_EQ(message(i).buttons, unsigned(ButtonYes | ButtonNo));
  }
  EXPECT_FALSE(registry_.keyExists(RegistryRoot::LocalMachine, kOldRecordKey));

  const Settings& s = settings();
  EXPECT_EQ(s.ZmPath, "F:\\ZM\\");
  EXPECT_EQ(s.ZmResPath, "F:\\ZM\\data\\");
  EXPECT_EQ(s.ZmCdPath, "C:\\prog\\TempZm\\");  // from the game search
  EXPECT_EQ(s.DefalDir, "F:\\work\\");
  EXPECT_EQ((std::tuple{s.MfHeight, s.MfWidth, s.MfTop, s.MfLeft, s.MfWstate}), (std::tuple{600, 800, 1, 2, 1}));
  EXPECT_EQ(s.DatabaseResIsh, "F:\\bases\\database\\");
  EXPECT_EQ(s.DatabaselmpResIsh, "F:\\bases\\databaselmp\\");
  EXPECT_EQ(s.TexturesResPath, "F:\\ZM\\data\\textures.res");
  EXPECT_EQ(s.TextsEdStart, "F:\\ZM\\data\\texts_res\\");
  EXPECT_EQ(s.DatabaseResDir, "F:\\ZM\\data\\database_res\\");
  EXPECT_TRUE(s.OptStandRes);
}

TEST_F(Configuration, OldRecordDeclinedAndKept) {
  addGame();
  addOldRecord();
  load();  // the recorder answers No to both questions
  EXPECT_EQ(notes_.messages.size(), 3u);
  EXPECT_TRUE(registry_.keyExists(RegistryRoot::LocalMachine, kOldRecordKey));
  EXPECT_EQ(readFile(kIni), firstRunFile("D:\\Games\\ZM\\", "D:\\Games\\ZM\\res\\", "E:\\"));
}

TEST_F(Configuration, OldRecordWithoutWindowValuesKeepsTheScreenGeometry) {
  addOldRecord(false);
  notes_.answers = {Answer::Ok, Answer::Yes, Answer::No};
  load();
  const Settings& s = settings();
  EXPECT_EQ(s.ZmPath, "F:\\ZM\\");
  EXPECT_EQ((std::tuple{s.MfHeight, s.MfWidth, s.MfTop, s.MfLeft, s.MfWstate}), (std::tuple{718, 974, 15, 20, 3}));
  EXPECT_TRUE(registry_.keyExists(RegistryRoot::LocalMachine, kOldRecordKey));
}

TEST_F(Configuration, UpgradeFrom170OnceOnly) {
  const std::string before =
      "[MainSettings]\r\n// kept\r\nVer=1.7.0\r\nZmPath=D:\\ZM\\\r\nTxtEdDlgFiltList=*.txt|texts\r\n"
      "TxtEdDlgActFilt=3\r\nTxtEdDlg1Click=1\r\nTxtEdDlgUseCritSiz=0\r\nTxtEdDlgCritSiz=5\r\n\r\n[Other]\r\nx=1\r\n";
  writeFile(kIni, before);
  load();
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.texts()[0], "Kessik.ini обновлен до версии 1.8.1");
  EXPECT_EQ(message(0).caption, cp("Информация"));
  EXPECT_EQ(message(0).icon, Icon::Information);
  EXPECT_EQ(readFile(kIni), "[MainSettings]\r\n// kept\r\nVer=1.8.1\r\nZmPath=D:\\ZM\\\r\nTxtEdDlgFiltList=" +
                                defaultFilterList() +
                                "\r\nTxtEdDlgActFilt=1\r\nTxtEdDlg1Click=0\r\nTxtEdDlgUseCritSiz=1\r\n"
                                "TxtEdDlgCritSiz=100000\r\nTxtEdDlgWordWrap=1\r\n\r\n[Other]\r\nx=1\r\n");
  EXPECT_EQ(settings().ZmPath, "D:\\ZM\\");
  EXPECT_EQ(settings().TxtEdDlgActFilt, 1);
  EXPECT_TRUE(settings().TxtEdDlgWordWrap);

  std::string upgraded = readFile(kIni);
  load();
  EXPECT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(readFile(kIni), upgraded);
}

TEST_F(Configuration, OtherVersionsAreLeftAlone) {
  for (const char* ver : {"1.6.0", "1.7.0 ", "1.7", "2.0.0", "1.8.1", ""}) {
    const std::string before = std::string("[MainSettings]\r\nVer=") + ver + "\r\nTxtEdDlgActFilt=4\r\n";
    writeFile(kIni, before);
    load();
    EXPECT_TRUE(notes_.messages.empty()) << ver;
    EXPECT_EQ(readFile(kIni), before) << ver;
    EXPECT_EQ(settings().Ver, ver);
    EXPECT_EQ(settings().TxtEdDlgActFilt, 4);
  }
}

TEST_F(Configuration, ReadingValues) {
  writeFile(kIni,
            "[mainsettings]\r\nVer=1.8.1\r\nMfHeight=-\r\nMfWidth=12a\r\nMfTop=-7\r\n  MfLeft=9\r\nOptStandRes=01\r\n"
            "TxtEdDlgWordWrap=2\r\nTxtEdDlgUseCritSiz=1\r\nDatabaseResPath=D:\\x\\db\r\n");
  load();
  const Settings& s = settings();
  EXPECT_EQ(s.MfHeight, 0);
  EXPECT_EQ(s.MfWidth, 0);
  EXPECT_EQ(s.MfTop, -7);
  EXPECT_EQ(s.MfLeft, 0);
  EXPECT_EQ(s.MfWstate, 0);  // missing
  EXPECT_TRUE(s.OptStandRes);
  EXPECT_FALSE(s.TxtEdDlgWordWrap);
  EXPECT_TRUE(s.TxtEdDlgUseCritSiz);
  EXPECT_FALSE(s.TxtEdDlg1Click);
  EXPECT_EQ(s.TxtEdDlgCritSiz, 0);
  EXPECT_EQ(s.ZmPath, "");
  EXPECT_EQ(s.DatabaseResDir, "D:\\x\\db_noext\\");
  EXPECT_EQ(s.DatabaselmpResDir, "_noext\\");
  EXPECT_TRUE(notes_.messages.empty());
}

TEST(WindowStateCode, BothWays) {
  EXPECT_EQ(windowStateCode(WindowState::Normal), 3);
  EXPECT_EQ(windowStateCode(WindowState::Minimized), 2);
  EXPECT_EQ(windowStateCode(WindowState::Maximized), 1);
  EXPECT_EQ(windowStateFromCode(1), WindowState::Maximized);
  EXPECT_EQ(windowStateFromCode(2), WindowState::Minimized);
  for (int code : {3, 0, 4, -1}) EXPECT_EQ(windowStateFromCode(code), WindowState::Normal) << code;
}

TEST_F(Configuration, ChangingSettingsRewritesOnlyTheirLines) {
  const std::string before = "[MainSettings]\r\nVer=1.8.1\r\n// note\r\nDefalDir=C:\\old\\\r\nMfWidth=5\r\n[X]\r\n";
  writeFile(kIni, before);
  load();
  // Another program changed the file meanwhile: its change is kept.
  writeFile(kIni, "[MainSettings]\r\nVer=1.8.1\r\n// note\r\nDefalDir=C:\\old\\\r\nMfWidth=6\r\n[X]\r\n");
  settings().DefalDir = "C:\\new\\";
  EXPECT_TRUE(changeSetting("DefalDir"));
  EXPECT_EQ(readFile(kIni), "[MainSettings]\r\nVer=1.8.1\r\n// note\r\nDefalDir=C:\\new\\\r\nMfWidth=6\r\n[X]\r\n");

  settings().MfHeight = 700;
  settings().MfWstate = windowStateCode(WindowState::Maximized);
  settings().OptStandRes = false;
  EXPECT_TRUE(saveSettings({"MfHeight", "MfWstate", "OptStandRes"}));
  EXPECT_EQ(readFile(kIni),
            "[MainSettings]\r\nVer=1.8.1\r\n// note\r\nDefalDir=C:\\new\\\r\nMfWidth=6\r\nMfHeight=700\r\n"
            "MfWstate=1\r\nOptStandRes=0\r\n\r\n[X]\r\n");

  std::string now = readFile(kIni);
  EXPECT_FALSE(saveSettings(std::vector<std::string>{"DefalDir", "NoSuchKey"}));
  EXPECT_EQ(readFile(kIni), now);
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(Configuration, FileVanishedDuringTheRun) {
  writeFile(kIni, "[MainSettings]\r\nVer=1.8.1\r\nZmPath=D:\\ZM\\\r\n");
  load();
  fs::remove(host(kIni));
  settings().DefalDir = "C:\\d\\";
  EXPECT_TRUE(changeSetting("DefalDir"));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.texts()[0], "Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути.");
  EXPECT_EQ(readFile(kIni), "[MainSettings]\r\nDefalDir=C:\\d\\\r\n");
}

TEST_F(Configuration, UnreadableFileIsNotReplaced) {
#ifdef _WIN32
  GTEST_SKIP() << "uses POSIX permissions";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root reads unreadable files";
#endif
  writeFile(kIni, "[MainSettings]\r\nVer=1.8.1\r\nZmPath=D:\\ZM\\\r\n");
  load();
  fs::permissions(host(kIni), fs::perms::none);
  settings().DefalDir = "C:\\d\\";
  EXPECT_FALSE(changeSetting("DefalDir"));
  fs::permissions(host(kIni), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(readFile(kIni), "[MainSettings]\r\nVer=1.8.1\r\nZmPath=D:\\ZM\\\r\n");
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages[0].caption, "Error");
}

TEST_F(Configuration, FirstRunThatCannotSaveKeepsItsValues) {
  fs::create_directories(host(kIni));  // a folder stands where the file goes
  load();
  auto texts = notes_.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Следов ЗМ в реестре нифига не обнаружилось :(");
  EXPECT_EQ(texts[1], std::string("Error, Saving") + kIni + "\nНе удалось записать файл «" + kIni + "»: это папка.");
  EXPECT_EQ(settings().ZmPath, "C:\\prog\\TempZm\\");
  EXPECT_EQ(settings().MfWidth, 974);
  EXPECT_EQ(settings().Ver, "1.8.1");
  EXPECT_EQ(settings().DatabaseResDir, "C:\\prog\\TempZm\\res\\database_res\\");
}

TEST_F(Configuration, UpgradeThatCannotSaveSaysNothingOfSuccess) {
#ifdef _WIN32
  GTEST_SKIP() << "uses POSIX permissions";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
#endif
  writeFile(kIni, "[MainSettings]\r\nVer=1.7.0\r\n");
  fs::permissions(host(kProg), fs::perms::owner_read | fs::perms::owner_exec);
  load();
  fs::permissions(host(kProg), fs::perms::owner_all);
  auto texts = notes_.texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], std::string("Error, Saving") + kIni + "\nНе удалось записать файл «" + kIni + "»: нет доступа.");
  EXPECT_EQ(readFile(kIni), "[MainSettings]\r\nVer=1.7.0\r\n");
}

#ifdef _WIN32
#include <windows.h>

// The host registry on a real (or Wine's) registry: a key of our own under
// HKEY_CURRENT_USER is read and deleted with everything below it.
TEST(HostRegistry, ReadsAndDeletesAKey) {
  const wchar_t* path = L"Software\\KessikTest\\Path Settings";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::wstring text = L"D:\\Игры\\ZM\\";
  RegSetValueExW(key, L"WORK PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  DWORD number = 718;
  RegSetValueExW(key, L"MfHeight", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);

  auto reg = platform::openHostRegistry();
  EXPECT_TRUE(reg->keyExists(RegistryRoot::CurrentUser, "\\Software\\KessikTest\\"));
  EXPECT_EQ(reg->readString(RegistryRoot::CurrentUser, "\\Software\\KessikTest\\Path Settings", "WORK PATH"),
            cp("D:\\Игры\\ZM\\"));
  EXPECT_EQ(reg->readInteger(RegistryRoot::CurrentUser, "\\Software\\KessikTest\\Path Settings", "MfHeight"), 718);
  EXPECT_FALSE(reg->readString(RegistryRoot::CurrentUser, "\\Software\\KessikTest\\Path Settings", "MfHeight"));
  EXPECT_FALSE(reg->readString(RegistryRoot::CurrentUser, "\\Software\\KessikTest\\Path Settings", "NONE"));
  EXPECT_TRUE(reg->deleteKey(RegistryRoot::CurrentUser, "\\Software\\KessikTest"));
  EXPECT_FALSE(reg->keyExists(RegistryRoot::CurrentUser, "\\Software\\KessikTest"));
  EXPECT_FALSE(reg->deleteKey(RegistryRoot::CurrentUser, "\\Software\\KessikTest"));
}
#endif
