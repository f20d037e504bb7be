// The rows, rules and windows of every section, said once: the program's dump
// is compared with the reviewed golden file tests/golden/schemas.txt.
// KESSIK_UPDATE_GOLDEN=1 writes the file anew instead (then review its diff).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/schema_dump.h"

namespace {

const char* const kGolden = KESSIK_GOLDEN "/schemas.txt";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

TEST(SchemaDump, MatchesTheGoldenFile) {
  const std::string dump = kessik::test::dumpSections();
  const char* update = std::getenv("KESSIK_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(kGolden, std::ios::binary) << dump;
    GTEST_SKIP() << "written " << kGolden;
  }
  std::ifstream in(kGolden, std::ios::binary);
  ASSERT_TRUE(in) << kGolden << " is missing; write it with KESSIK_UPDATE_GOLDEN=1";
  std::stringstream golden;
  golden << in.rdbuf();
  if (golden.str() == dump) return;

  // Say where they part, a few lines of each.
  const auto want = linesOf(golden.str()), got = linesOf(dump);
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  std::string said = "the dump differs from " + std::string(kGolden) + " at line " + std::to_string(i + 1) + ":\n";
  for (std::size_t k = i; k < i + 3 && k < want.size(); ++k) said += "  golden:  " + want[k] + "\n";
  for (std::size_t k = i; k < i + 3 && k < got.size(); ++k) said += "  program: " + got[k] + "\n";
  said += "(a deliberate change: write the file anew with KESSIK_UPDATE_GOLDEN=1 and review its diff)";
  ADD_FAILURE() << said;
}
