// spells.sdb: Spell Prototypes (1), Spell Modifiers (2), and the three lists
// of one shape S_Spells (3), S_Armors (4), S_Weapons (5).
//
// Spell Prototypes: 32 rows over fields 1 to 28; the five modifier flags are
// one packed field of five bool bytes (field 21), the two modifier lists are
// code4list items. Spell Modifiers: 9 rows over fields 1 to 9, the code a
// 4-byte code4. Both carry a TypeID row with its labels and the value
// chooser. The S_ lists have repeatable masks.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

const LabelTable kPrototypeTypes = {{0, "     ELEMENTAL"}, {1, "     SENSES"}, {2, "     ASTRAL"}};

const LabelTable kModifierTypes = {{0, "     RANGE"},    {1, "     TARGETS"}, {2, "     AREA"},
                                   {3, "     EFFECT"},   {4, "     DURATION"}, {5, "     MANA"},
                                   {6, "     FILTER"},   {7, "     ITEM"}};

Row typeIdRow(int field, const LabelTable& labels) {
  Row r = makeRow("TypeID", fieldAt(field), Codec::Int32Label);
  r.labels = &labels;
  r.button = RowButton::Chooser;
  return r;
}

Schema makePrototypes() {
  Schema s;
  s.folder = "spells\\1\\";
  auto add = [&](const char* name, Place place, Codec codec, CheckKind check = CheckKind::Codec) {
    s.rows.push_back(makeRow(name, place, codec, check));
  };
  add("Name", fieldAt(1), Codec::Name, CheckKind::Mask);
  add("Code", fieldAt(2), Codec::Name, CheckKind::None);
  add("SubType", fieldAt(3), Codec::Name, CheckKind::None);
  add("Price", fieldAt(4), Codec::Float32);
  s.rows.push_back(typeIdRow(5, kPrototypeTypes));
  add("Mana", fieldAt(6), Codec::Float32);
  add("Slots", fieldAt(7), Codec::Int32);
  add("Speed", fieldAt(8), Codec::Float32);
  add("Range", fieldAt(9), Codec::Float32);
  add("Area", fieldAt(10), Codec::Float32);
  add("Effect", fieldAt(11), Codec::Float32);
  add("Target", fieldAt(12), Codec::Char1);
  add("Num Targets", fieldAt(13), Codec::Int32);
  add("Duration", fieldAt(14), Codec::Int32);
  add("Actions", fieldAt(15), Codec::Int32);
  add("Require Trace", fieldAt(16), Codec::Int32);
  add("Built-in Mods", fieldAt(17), Codec::Code4List);
  add("Special Mods", fieldAt(18), Codec::Code4List);
  add("Texture Type Index", fieldAt(19), Codec::Int32);
  add("Unknown1", fieldAt(20), Codec::Int32);
  // The five modifier flags: one byte each, packed in field 21 in row order.
  const char* flags[] = {"Range Mod", "Targets Mod", "Area Mod", "Effect Mod", "Duration Mod"};
  for (int i = 0; i < 5; ++i) add(flags[i], bytesAt(21, i + 1, i + 1), Codec::Bool);
  add("Complex", fieldAt(22), Codec::Int32);
  add("ShopInfo", fieldAt(23), Codec::Bitset30);
  for (int i = 2; i <= 6; ++i) {
    std::string name = "Unknown" + std::to_string(i);
    add(name.c_str(), fieldAt(22 + i), Codec::Float32);
  }
  return s;
}

Schema makeModifiers() {
  Schema s;
  s.folder = "spells\\2\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRow("Code", fieldAt(2), Codec::Code4));
  s.rows.push_back(makeRow("Price", fieldAt(3), Codec::Float32));
  s.rows.push_back(typeIdRow(4, kModifierTypes));
  s.rows.push_back(makeRow("Mana", fieldAt(5), Codec::Float32));
  s.rows.push_back(makeRow("Value", fieldAt(6), Codec::Float32));
  s.rows.push_back(makeRow("Complex", fieldAt(7), Codec::Int32));
  s.rows.push_back(makeRow("Shop", fieldAt(8), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("ShopInfo", fieldAt(9), Codec::Bitset30));
  return s;
}

// S_Spells, S_Armors, S_Weapons: a prototype, two name lists, a power text
// and the shops. Masks may repeat.
Schema shopList(int section) {
  Schema s;
  s.folder = "spells\\" + std::to_string(section) + "\\";
  s.masks = MaskRule::Repeatable;
  s.rows.push_back(makeRow("Prototype", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRow("Required", fieldAt(2), Codec::NameList));
  s.rows.push_back(makeRow("Optional", fieldAt(3), Codec::NameList));
  s.rows.push_back(makeRow("Power", fieldAt(4), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("ShopInfo", fieldAt(5), Codec::Bitset30));
  return s;
}

}  // namespace

const Schema& spellsPrototypes() {
  static const Schema s = makePrototypes();
  return s;
}
const Schema& spellsModifiers() {
  static const Schema s = makeModifiers();
  return s;
}
const Schema& spellsSSpells() {
  static const Schema s = shopList(3);
  return s;
}
const Schema& spellsSArmors() {
  static const Schema s = shopList(4);
  return s;
}
const Schema& spellsSWeapons() {
  static const Schema s = shopList(5);
  return s;
}

}  // namespace kessik::schemas
