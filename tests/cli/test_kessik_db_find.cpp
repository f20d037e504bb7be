// kessik-db find, run as a child process over the sample workspace.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/testenv.h"

namespace fs = std::filesystem;
using kessik::test::ChildRun;

namespace {

class Find : public kessik::test::TempDrive {
 protected:
  void SetUp() override {
    TempDrive::SetUp();
    fs::create_directories(root_ / "prog");
    ASSERT_EQ(db({"sample", (root_ / "prog").string()}).status, 0);
  }
  ChildRun db(std::vector<std::string> args) { return kessik::test::runChild(KESSIK_DB_EXE, std::move(args), root_); }
  std::string root() const { return (root_ / "prog/bases/database").string(); }
};

TEST_F(Find, PrintsOneLinePerMatchAndSaysByItsStatus) {
  struct Case {
    std::vector<std::string> options;
    std::string text;
    int status;
    std::string out;
  } cases[] = {
      {{"--masks"}, "sand", 0,
       "prints/1/0000002.zap «Sand»: TerrainType: Sand\n"
       "prints/2/0000002.zap «Sand»: TerrainType: Sand\n"
       "prints/3/0000002.zap «Sand»: TerrainType: Sand\n"},
      {{"--masks", "--schema", "prints/2"}, "SAND", 0, "prints/2/0000002.zap «Sand»: TerrainType: Sand\n"},
      {{"--exact", "--schema", "items/2"}, "Dagger", 0, "items/2/0000003.zap «Dagger»: Name: Dagger\n"},
      {{"--exact", "--masks"}, "sand", 1, ""},
      {{}, "no such text anywhere", 1, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"find", root(), c.text};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ChildRun r = db(args);
    EXPECT_EQ(r.status, c.status) << c.text << r.err;
    EXPECT_EQ(r.out, c.out) << c.text;
  }
  // A cell found as shown, among other rows than the mask.
  ChildRun all = db({"find", root(), "Sand"});
  EXPECT_EQ(all.status, 0);
  EXPECT_NE(all.out.find("prints/1/0000002.zap «Sand»: TerrainType: Sand\n"), std::string::npos);
}

TEST_F(Find, RefusesWhatItCannotSearch) {
  EXPECT_EQ(db({"find", root()}).status, 2);
  EXPECT_EQ(db({"find", root(), "x", "--bogus"}).status, 2);
  EXPECT_EQ(db({"find", root(), ""}).status, 2);
  EXPECT_EQ(db({"find", root(), "x", "--schema", "nosuch/7"}).status, 2);
  ChildRun missing = db({"find", (root_ / "nowhere").string(), "x"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_FALSE(missing.err.empty());
  EXPECT_EQ(db({"find", root(), "\xE2\x82\xAC\xF0\x9F\x98\x80"}).status, 2);  // no cp1251 form
}

}  // namespace
