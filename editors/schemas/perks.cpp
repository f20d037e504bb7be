// perks.pdb: Skills (1) and Perks (2). Every field is a single value except
// the skills' base attributes, a name list written as items of type 1.
#include "editors/engine/schema.h"

#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

// Name, code and texture index open both sections.
Schema perksSchema(int section) {
  Schema s;
  s.folder = "perks\\" + std::to_string(section) + "\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRow("Code", fieldAt(2), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("Texture Type Index", fieldAt(3), Codec::Int32));
  return s;
}

Schema skills() {
  Schema s = perksSchema(1);
  s.rows.push_back(makeRow("Base Attributes   (LIST)", fieldAt(4), Codec::NameList));
  return s;
}

Schema perks() {
  Schema s = perksSchema(2);
  s.rows.push_back(makeRow("Perk", fieldAt(4), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("Skill", fieldAt(5), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow(ru("Skill ID (генер. автоматич.)"), fieldAt(6), Codec::Int32));
  s.rows.push_back(makeRawRow("Unknown1", 7));
  s.rows.push_back(makeRow("SL", fieldAt(8), Codec::Int32));
  s.rows.push_back(makeRow("Str", fieldAt(9), Codec::Float32));
  s.rows.push_back(makeRow("Dex", fieldAt(10), Codec::Float32));
  s.rows.push_back(makeRow("Int", fieldAt(11), Codec::Float32));
  s.rows.push_back(makeRow("Cost", fieldAt(12), Codec::Int32));
  s.rows.push_back(makeRow("Modifier", fieldAt(13), Codec::Int32));
  s.rows.push_back(makeRow("Mult", fieldAt(14), Codec::Int32));
  s.rows.push_back(makeRow("Add", fieldAt(15), Codec::Int32));
  s.rows.push_back(makeRow("Active", fieldAt(16), Codec::Bool));
  s.rows.push_back(makeRow("Perk Exclusive", fieldAt(17), Codec::Int32));
  // The skill's number follows its name (rows 5 -> 6).
  s.typeIds.push_back(TypeIdRule{4, 5,
                                 {{"melee", 0},
                                  {"archery", 1},
                                  {"elemental", 3},
                                  {"sense", 4},
                                  {"astral", 5},
                                  {"none", 2147483647}}});
  return s;
}

}  // namespace

const Schema& perksSkills() {
  static const Schema s = skills();
  return s;
}
const Schema& perksPerks() {
  static const Schema s = perks();
  return s;
}

}  // namespace kessik::schemas
