// A Wine prefix on hosts without Windows: its drives join the drive map and
// its registry files answer the first run's questions, read only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/settings.h"
#include "config/startup.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;
using platform::RegistryRoot;
namespace fs = std::filesystem;

namespace {

// A prefix laid out as Wine leaves it: the registry files of the fixture and
// dosdevices links to drive_c (relative), to a folder for D: and to /.
class WinePrefix : public TempDrive {
 protected:
  void SetUp() override {
    TempDrive::SetUp();
    prefix_ = root_ / "prefix";
    fs::create_directories(prefix_ / "dosdevices");
    fs::create_directories(prefix_ / "drive_c" / "Games");
    fs::create_directories(root_ / "cdrom");
    for (const char* f : {"user.reg", "system.reg"}) fs::copy_file(fs::path(KESSIK_FIXTURES) / "wineprefix" / f, prefix_ / f);
    fs::create_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
    fs::create_symlink(root_ / "cdrom", prefix_ / "dosdevices" / "d:");
    fs::create_symlink("/", prefix_ / "dosdevices" / "z:");
    fs::create_symlink("/dev/ttyS0", prefix_ / "dosdevices" / "com1");
    ::setenv("WINEPREFIX", prefix_.c_str(), 1);
    ::unsetenv("KESSIK_DRIVES");
    platform::reloadDriveMap();
  }
  static std::string hostFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path prefix_;
};

}  // namespace

TEST_F(WinePrefix, DrivesComeFromDosdevicesAndKessikDrivesOverrides) {
  EXPECT_EQ(platform::toHost("C:\\Games\\x.res"), (prefix_ / "drive_c" / "Games" / "x.res").lexically_normal());
  EXPECT_EQ(platform::toHost("D:\\a"), root_ / "cdrom" / "a");
  EXPECT_EQ(platform::toHost("Z:\\tmp"), fs::path("/tmp"));
  EXPECT_FALSE(platform::toHost("E:\\a"));
  EXPECT_EQ(platform::fromHost(prefix_ / "drive_c" / "Games"), "C:\\Games");
  EXPECT_EQ(platform::fromHost(root_ / "cdrom"), "D:\\");

  ::setenv("KESSIK_DRIVES", ("D=" + (root_ / "other").string()).c_str(), 1);
  platform::reloadDriveMap();
  EXPECT_EQ(platform::toHost("D:\\a"), root_ / "other" / "a");
  EXPECT_EQ(platform::toHost("C:\\Games"), (prefix_ / "drive_c" / "Games").lexically_normal());

  // No prefix: Z: alone, as before.
  ::unsetenv("KESSIK_DRIVES");
  ::setenv("WINEPREFIX", (root_ / "missing").c_str(), 1);
  platform::reloadDriveMap();
  EXPECT_FALSE(platform::toHost("C:\\Games"));
  EXPECT_EQ(platform::toHost("Z:\\tmp"), fs::path("/tmp"));
}

TEST_F(WinePrefix, RegistryReadsTheFilesAndNeverWrites) {
  const std::string userBefore = hostFile(prefix_ / "user.reg");
  auto reg = platform::openHostRegistry();
  const std::string game = "\\Software\\Brightfold\\Mirehold\\Path Settings";
  EXPECT_TRUE(reg->keyExists(RegistryRoot::CurrentUser, "\\Software\\Brightfold\\Mirehold\\"));
  EXPECT_TRUE(reg->keyExists(RegistryRoot::CurrentUser, "\\software\\brightfold\\mirehold\\path settings"));
  EXPECT_FALSE(reg->keyExists(RegistryRoot::LocalMachine, "\\Software\\Brightfold\\Mirehold\\"));
  EXPECT_EQ(reg->readString(RegistryRoot::CurrentUser, game, "WORK PATH"), "C:\\Games\\Mirehold\\");
  EXPECT_EQ(reg->readString(RegistryRoot::CurrentUser, game, "work path"), "C:\\Games\\Mirehold\\");
  EXPECT_EQ(reg->readString(RegistryRoot::CurrentUser, game, "CD-ROM PATH"), cp("D:\\Игры\\\"ЗМ\"\\"));
  EXPECT_FALSE(reg->readString(RegistryRoot::CurrentUser, game, "MISSING"));
  EXPECT_FALSE(reg->readString(RegistryRoot::CurrentUser, "\\Control Panel\\Desktop\\WindowMetrics", "CaptionFont"));
  EXPECT_EQ(reg->readString(RegistryRoot::CurrentUser, "\\Control Panel\\Desktop\\WindowMetrics", "CaptionHeight"),
            "18");

  const std::string old = "\\Software\\Kessikor";
  EXPECT_TRUE(reg->keyExists(RegistryRoot::LocalMachine, old));
  EXPECT_EQ(reg->readInteger(RegistryRoot::LocalMachine, old, "MfHeight"), 700);
  EXPECT_FALSE(reg->readString(RegistryRoot::LocalMachine, old, "MfHeight"));
  EXPECT_FALSE(reg->readInteger(RegistryRoot::LocalMachine, old, "ZMPath"));
  EXPECT_EQ(reg->readString(RegistryRoot::LocalMachine, old, "PathBasesIsh"), cp("C:\\Моды\\bases\\"));

  EXPECT_FALSE(reg->deleteKey(RegistryRoot::LocalMachine, old));
  EXPECT_TRUE(reg->keyExists(RegistryRoot::LocalMachine, old));
  EXPECT_EQ(hostFile(prefix_ / "user.reg"), userBefore);

  // The fixture is a 64-bit prefix, where the older 32-bit program's key lives
  // under Wow6432Node (read above). A 32-bit prefix keeps it as written.
  std::ofstream(prefix_ / "system.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n#arch=win32\n\n[Software\\\\Kessikor] 1\n\"MfHeight\"=dword:0000012c\n";
  reg = platform::openHostRegistry();
  EXPECT_EQ(reg->readInteger(RegistryRoot::LocalMachine, old, "MfHeight"), 300);
}

TEST_F(WinePrefix, FirstRunFindsTheGameInThePrefix) {
  ::setenv("KESSIK_DRIVES", ("Y=" + root_.string()).c_str(), 1);  // the program's folder
  platform::reloadDriveMap();
  fs::create_directories(root_ / "prog");
  auto reg = platform::openHostRegistry();
  notes_.answers = {Answer::Ok, Answer::No, Answer::Yes};  // the old record: not used, then "clear" (a no-op here)
  loadConfiguration("Y:\\prog\\", 1024, 768, *reg);
  const Settings& s = settings();
  EXPECT_EQ(s.ZmPath, "C:\\Games\\Mirehold\\");
  EXPECT_EQ(s.ZmResPath, "C:\\Games\\Mirehold\\res\\");
  ASSERT_FALSE(notes_.messages.empty());
  EXPECT_EQ(notes_.texts()[0], "ЗМ найдены по пути...C:\\Games\\Mirehold\\");
  EXPECT_TRUE(fs::exists(root_ / "prog" / "Kessik.ini"));
  EXPECT_TRUE(reg->keyExists(RegistryRoot::LocalMachine, "\\Software\\Kessikor"));
}
#endif
