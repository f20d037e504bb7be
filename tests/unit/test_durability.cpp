// Power cuts: every writer puts its bytes and names on the disk before it
// publishes them, and the folder of the published name after. Told by the
// host layer's durability hook (support/power_cut.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "core/database.h"
#include "core/file_buf.h"
#include "core/node.h"
#include "support/power_cut.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
namespace fs = std::filesystem;
using kessik::test::databaseFile;
using kessik::test::node;

namespace {

class PowerCut : public kessik::test::TempDrive {};

TEST_F(PowerCut, EveryWriterSyncsBeforeItPublishesAndAfter) {
  const std::string oldDb = databaseFile(node(1, node(1, node(1, "o"))));
  const std::string newDb = databaseFile(node(1, node(1, node(1, "n1")) + node(1, node(1, "n2"))) +
                                       node(2, node(1, node(2, "n3"))));
  writeFile("C:\\r\\old\\prints.db", oldDb);
  writeFile("C:\\r\\prints.db", newDb);
  fs::create_directories(host("C:\\fresh"));
  fs::create_directories(host("C:\\s"));
  ASSERT_TRUE(unpackDatabase("C:\\r\\old\\prints.db", "C:\\s\\"));
  writeFile("C:\\s\\prints\\.git\\HEAD", "kept");

  struct Case {
    const char* name;
    std::function<bool()> work;
  } cases[] = {
      {"unpack into a new folder", [] { return unpackDatabase("C:\\r\\prints.db", "C:\\fresh\\"); }},
      {"unpack over an old tree", [] { return unpackDatabase("C:\\r\\prints.db", "C:\\s\\"); }},
      {"pack", [] { return packDatabase("C:\\s\\prints\\", "C:\\out\\prints.db"); }},
      {"pack over an old file", [] { return packDatabase("C:\\s\\prints\\", "C:\\out\\prints.db"); }},
      {"a record saved",
       [] {
         TFileInString buffer;
         buffer.Assign(node(1, node(1, "edited")));
         return buffer.SaveToFile("C:\\s\\prints\\1\\0000001.zap");
       }},
      {"the settings file saved",
       [] {
         TAnIniFile ini;
         ini.Clear();
         ini.WriteString("MainSettings", "DefalDir", "C:\\games\\");
         return ini.SaveToFile("C:\\prog\\Kessik.ini");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kessik::test::PowerCutWatch watch;
    ASSERT_TRUE(c.work()) << ::testing::PrintToString(notes_.texts());
    EXPECT_GT(watch.publications(), 0);
    EXPECT_EQ(watch.faults(), std::vector<std::string>{});
  }
  EXPECT_EQ(readFile("C:\\s\\prints\\.git\\HEAD"), "kept");
  EXPECT_EQ(readFile("C:\\out\\prints.db"), newDb);
}

}  // namespace
