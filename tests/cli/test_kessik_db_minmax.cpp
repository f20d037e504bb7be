// kessik-db export and import of the damage rows stored as a minimum and a
// spread (Weapons, Monsters Prototypes), with minimums the table shows in E
// notation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/file_buf.h"
#include "core/record.h"
#include "editors/engine/sheet.h"
#include "support/child_process.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

namespace fs = std::filesystem;
using namespace kessik;
using namespace kessik::test;

namespace {

class MinMaxSheet : public TempDrive {
 protected:
  ChildRun db(const std::vector<std::string>& args) { return runChild(KESSIK_DB_EXE, args, root_); }
  std::string at(const std::string& rel) const { return (root_ / rel).string(); }

  // Record 1 of a sample section with the minimum's and the spread's fields.
  void setDamage(const std::string& section, float min, float spread) {
    const fs::path file = root_ / "prog/bases/database" / section / "0000001.zap";
    TZapisBaziZm z = parsed(fileContents(file));
    z.SetField(20, floatBytes(min));
    z.SetField(21, floatBytes(spread));
    z.Rebuild();
    std::ofstream(file, std::ios::binary) << z.Bytes;
  }
  std::string field(const std::string& section, int n) {
    return parsed(fileContents(root_ / "prog/bases/database" / section / "0000001.zap")).GetField(n);
  }

  // The sheet of a section and the cells of its first record by column name.
  struct Sheet {
    std::vector<CsvLine> lines;
    std::size_t column(const std::string& name) const {
      for (std::size_t i = 0; i < lines[0].size(); ++i)
        if (lines[0][i] == name) return i;
      return 0;
    }
    std::string& cell(const std::string& name) { return lines[1][column(name)]; }
    std::string text() const {
      std::string out;
      for (const CsvLine& l : lines) out += csvLine(l);
      return out;
    }
  };
  Sheet exported(const std::string& section) {
    ChildRun e = db({"export", at("prog/bases/database/" + section)});
    EXPECT_EQ(e.status, 0) << e.err;
    return {parseCsv(e.out).lines};
  }
  ChildRun import(const std::string& section, const Sheet& sheet) {
    std::ofstream(root_ / "sheet.csv", std::ios::binary) << sheet.text();
    return db({"import", at("prog/bases/database/" + section), at("sheet.csv")});
  }
};

TEST_F(MinMaxSheet, MinimumInENotationShownReadAndRetyped) {
  fs::create_directories(root_ / "prog");
  ASSERT_EQ(db({"sample", at("prog")}).status, 0);
  struct Case {
    const char* section;
    const char* minName;
    const char* maxName;
    float min, spread;
    const char* minText;
    const char* maxText;
    const char* retyped;
    const char* huge;  // a maximum whose spread over its negative no float holds
  };
  const Case cases[] = {
      {"units/3", "Stats Damage Min", "Stats Damage Max", 5e-6f, 2.0f, "5E-6,0", "2,000005", "0,000005",
       "340000000000000000000000000000000000000"},
      {"items/2", "Weapon Damage Min", "Weapon Damage Max", 3e-7f, 0.2f, "3E-6,0", "2,000003", "0,000003",
       "3400000000000000000000000000000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    setDamage(c.section, c.min, c.spread);
    Sheet sheet = exported(c.section);
    ASSERT_GE(sheet.lines.size(), 2u);
    EXPECT_EQ(sheet.cell(c.minName), c.minText);
    EXPECT_EQ(sheet.cell(c.maxName), c.maxText);

    // The minimum retyped as a plain number: the maximum nobody touched stays.
    sheet.cell(c.minName) = c.retyped;
    ChildRun r = import(c.section, sheet);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(hex(field(c.section, 21)), hex(floatBytes(c.spread)));
    EXPECT_EQ(exported(c.section).cell(c.maxName), c.maxText);

    // A spread beyond single precision: the maximum's column is named.
    const std::string before = fileContents(root_ / "prog/bases/database" / c.section / "0000001.zap");
    sheet.cell(c.minName) = "-" + std::string(c.huge);
    sheet.cell(c.maxName) = c.huge;
    r = import(c.section, sheet);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "0000001.zap: " + std::string(c.maxName) + ": Floating point overflow\nНичего не записано: ошибок 1.\n");
    EXPECT_EQ(fileContents(root_ / "prog/bases/database" / c.section / "0000001.zap"), before);
  }
}

}  // namespace
