// units.udb: Hit Locations (1), Race Models (2), Monsters Prototypes (3),
// NPCs (4).
//
// Packed fields (resistances, speeds, senses, skill bytes) are runs of
// fixed-width values with no item headers, written at exactly the length of
// their rows. Hit locations and loot groups are four items written with the
// type bytes 0, 1, 2, 3; step sounds are sixteen name items of type 1. The
// race type and the weapon types are numbers with labels, picked in the value
// chooser; only their code is stored.
#include "editors/engine/schema.h"

#include <initializer_list>

#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

const char* const kFolder[] = {"", "units\\1\\", "units\\2\\", "units\\3\\", "units\\4\\"};

Row row(const char* name, Place place, Codec codec, CheckKind check = CheckKind::Codec) {
  return makeRow(ru(name), place, codec, check);
}

// A name that any text may hold.
Row freeName(const char* name, Place place) { return row(name, place, Codec::Name, CheckKind::None); }

Row item(const char* name, int field, int k, Codec codec, std::uint8_t type,
         CheckKind check = CheckKind::Codec) {
  Row r = row(name, itemAt(field, k), codec, check);
  r.itemType = type;
  return r;
}

// Values of one width packed one after another in a field, in row order.
void packed(Schema& s, int field, Codec codec, std::initializer_list<const char*> names) {
  const int width = static_cast<int>(fixedWidth(codec));
  int from = 1;
  for (const char* n : names) {
    s.rows.push_back(row(n, bytesAt(field, from, from + width - 1), codec));
    from += width;
  }
}

void whole(Schema& s, int field, Codec codec, const char* name) { s.rows.push_back(row(name, fieldAt(field), codec)); }

// Consecutive whole fields of one codec, from `field` on.
void wholes(Schema& s, int field, Codec codec, std::initializer_list<const char*> names) {
  for (const char* n : names) whole(s, field++, codec, n);
}

Row chooserRow(const char* name, int field, const LabelTable& labels) {
  Row r = row(name, fieldAt(field), Codec::Int32Label);
  r.labels = &labels;
  r.button = RowButton::Chooser;
  return r;
}

Schema withMask(int section) {
  Schema s;
  s.folder = kFolder[section];
  s.rows.push_back(row("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  return s;
}

// ---------------------------------------------------------------------------
// Hit Locations: two runs of seven resistances, then two numbers.

Schema hitLocationsSchema() {
  Schema s = withMask(1);
  packed(s, 2, Codec::Float32,
         {"Physical Piercing", "Physical Shashing", "Physical Bludgeoning", "Elemental Termal", "Elemental Chemic",
          "Elemental Electric", "Other General"});
  packed(s, 3, Codec::Float32,
         {"Physical Piercing2", "Physical Shashing2", "Physical Bludgeoning2", "Elemental Termal2",
          "Elemental Chemic2", "Elemental Electric2", "Other General2"});
  wholes(s, 4, Codec::Int32, {"Unknown1 (UnsLong)", "Unknown2 (UnsLong)"});
  return s;
}

// ---------------------------------------------------------------------------
// Race Models

const LabelTable& raceTypes() {
  static const LabelTable t = {{50, "     HUMAN"}, {51, "     MONSTER"}, {52, "     ANIMAL"}};
  return t;
}

Schema raceModelsSchema() {
  Schema s = withMask(2);
  s.rows.push_back(chooserRow("TypeID", 2, raceTypes()));
  wholes(s, 3, Codec::Float32, {"Regenerate Health", "Regenerate Mana"});
  wholes(s, 5, Codec::Int32, {"SecondaryLanguage", "SecondaryLocomotion"});
  whole(s, 7, Codec::Float32, "Secondary Vision arc");
  packed(s, 8, Codec::Float32, {"Speed Run", "Speed Walk", "Speed Sneak", "Speed Crawl"});
  whole(s, 9, Codec::Float32, "AttackDistance");
  wholes(s, 10, Codec::Int32, {"AI Class Stay", "AI Class Lie"});
  packed(s, 12, Codec::Float32,
         {"Attack Piercing", "Attack Slashing", "Attack Bludgeoning", "Attack Termal", "Attack Chemic",
          "Attack Electric", "Attack General"});

  // Six hit locations: the type, a number, the weight and the vitality.
  struct Part {
    const char* type;
    const char* unknown;
    const char* weight;
    const char* vitality;
  };
  static const Part parts[] = {
      {"HL HeadType", "Unknown1", "HL Head Weigth", "HL Head Vitality"},
      {"HL TorsoType", "Unknown2", "HL Torso Weigth", "HL Torso Vitality"},
      {"HL Rigth Arm Type", "Unknown3", "HL Rigth Arm Weigth", "HL Rigth Arm Vitality"},
      {"HL Left Arm Type", "Unknown4", "HL Left Arm Weigth", "HL Left Arm Vitality"},
      {"HL Rigth Leg Type", "Unknown5", "HL Rigth Leg Weigth", "HL Rigth Leg Vitality"},
      {"HL Left Leg Type", "Unknown6", "HL Left Leg Weigth", "HL Left Leg Vitality"},
  };
  int field = 13;
  for (const Part& p : parts) {
    s.rows.push_back(item(p.type, field, 1, Codec::Name, 0, CheckKind::None));
    s.rows.push_back(item(p.unknown, field, 2, Codec::Int32, 1));
    s.rows.push_back(item(p.weight, field, 3, Codec::Float32, 2));
    s.rows.push_back(item(p.vitality, field, 4, Codec::Float32, 3));
    ++field;
  }

  s.rows.push_back(freeName("Graphics data Mask name", fieldAt(19)));
  wholes(s, 20, Codec::NameList, {"Graphics data Primary textures", "Graphics data Secondary textures"});
  whole(s, 22, Codec::Float32, "Graphic data Model Shift");
  s.rows.push_back(freeName("Sounds data SFX Path", fieldAt(23)));
  static const char* const grounds[] = {"grass", "ground", "stone", "sand",  "rock",      "field", "water",
                                        "road",  "UNKNOWN", "snow", "ice",  "drygrass", "snowballs", "lava",
                                        "swamp", "highrock"};
  int k = 1;
  for (const char* g : grounds) {
    const std::string name = std::string("Sounds data Steps ") + g;
    s.rows.push_back(item(name.c_str(), 24, k++, Codec::Name, 1, CheckKind::None));
  }
  packed(s, 25, Codec::Float32,
         {"Animation Speed Attack", "Animation Speed Cast", "Animation Speed Hit", "Animation Speed Death",
          "Animation Speed Cross", "Animation Speed Special"});
  wholes(s, 26, Codec::Int32, {"Sounds Probability Idle", "Sounds Probability Attack"});
  packed(s, 28, Codec::Float32,
         {"Defence Piercing", "Defence Slashing", "Defence Bludgeoning", "Defence Termal", "Defence Chemic",
          "Defence Electric", "Defence General"});
  wholes(s, 29, Codec::Int32,
         {"Graphics data Blood type", "Graphics data Cast Type", "Graphics data Footprint Type",
          "Graphics data Leg Segments"});
  s.rows.push_back(freeName("Graphics data Native Skin Type", fieldAt(33)));
  whole(s, 34, Codec::Bool, "Graphics data First Step Right");
  whole(s, 35, Codec::Float32, "Graphics data HeadHeight");
  wholes(s, 36, Codec::Int32, {"Unknown7", "Unknown8", "Unknown9", "Unknown10"});
  return s;
}

// ---------------------------------------------------------------------------
// Monsters Prototypes

const LabelTable& weaponTypes() {
  static const LabelTable t = {
      {0, "     SWORD"},   {1, "     AXE"},     {2, "     DAGGER"},  {3, "     SPEAR"},  {4, "     HAMMER"},
      {5, "     BOW"},     {8, "     HANDS"},   {9, "     HANDS1"},  {10, "     HANDS2"}, {11, "     HANDS3"},
      {12, "     HANDS4"}, {13, "     HANDS5"}, {14, "     HANDS6"}, {15, "     HANDS7"}, {16, "     MAGIC"},
  };
  return t;
}

// Probability, mask, minimum and maximum as four items of types 0 to 3.
void loot(Schema& s, int field, const char* title) {
  const std::string t = title;
  s.rows.push_back(item((t + " Probability").c_str(), field, 1, Codec::Float32, 0));
  s.rows.push_back(item((t + " Mask").c_str(), field, 2, Codec::Int32, 1));
  s.rows.push_back(item((t + " Min").c_str(), field, 3, Codec::Float32, 2));
  s.rows.push_back(item((t + " Max").c_str(), field, 4, Codec::Float32, 3));
}

Schema monstersSchema() {
  Schema s = withMask(3);
  s.rows.push_back(freeName("Base Race", fieldAt(2)));
  wholes(s, 3, Codec::Int32, {"Unknown1", "Graphics Data Skin Index", "Graphics Data Hair"});
  wholes(s, 6, Codec::Float32,
         {"Graphics Data Complection X", "Graphics Data Complection Y", "Graphics Data Complection Z"});
  s.rows.push_back(freeName("Unknown2 (BOOL)", fieldAt(9)));
  wholes(s, 10, Codec::Float32,
         {"Stats Health", "Stats Mana", "Stats Absorbtion", "Tuning Actions", "Tunig Move", "Attack Range",
          "Stats To hit", "Stats Parry", "Tuning Weapon Weight"});
  s.rows.push_back(chooserRow("Attack Weapon Type ID", 19, weaponTypes()));
  // The maximum is stored as its spread over the minimum.
  wholes(s, 20, Codec::Float32, {"Stats Damage Min", "Stats Damage Max"});
  s.minMax.push_back(MinMaxRule{static_cast<int>(s.rows.size()) - 2, static_cast<int>(s.rows.size()) - 1, 1});
  wholes(s, 22, Codec::Float32, {"Skills General", "Skills Steal", "Skills Tame", "Skills Peripheral"});
  packed(s, 26, Codec::Float32,
         {"Senses Sight", "Senses Infra", "Senses Senselife", "Senses Hearing", "Senses Smell", "Senses Tracking"});
  packed(s, 27, Codec::Float32,
         {"Detections Sight", "Detections Infra", "Detections Senselife", "Detections Hearing", "Detections Smell",
          "Detections Tracking"});
  loot(s, 28, "Common loot");
  loot(s, 29, "Rare loot");
  whole(s, 30, Codec::NameList, "Items");
  packed(s, 31, Codec::Float32, {"Skills Elemental", "Skills Senses", "Skills Astral"});
  wholes(s, 32, Codec::NameList, {"Spells", "Equipment Wears"});
  s.rows.push_back(freeName("Equipment Weapon №1", fieldAt(34)));
  wholes(s, 35, Codec::Float32,
         {"Graphics Data Info Window Scale", "Graphics Data Altitude", "Tuning To hit Random",
          "Graphics Data Dialog Camera Distance", "Graphics Data Dialog Camera Height"});
  s.rows.push_back(chooserRow("Attack Real Weapon Type ID", 40, weaponTypes()));
  whole(s, 41, Codec::Float32, "Graphics Data Detonation");
  whole(s, 42, Codec::Int32, "Base Level");
  s.rows.push_back(freeName("Equipment Weapon №2", fieldAt(43)));
  whole(s, 44, Codec::Float32, "Stats Exp");
  return s;
}

// ---------------------------------------------------------------------------
// NPCs

Schema npcsSchema() {
  Schema s = withMask(4);
  s.rows.push_back(makeRawRow("Unknown1", 2));
  wholes(s, 3, Codec::Float32, {"Exp", "Strength", "Dexterity", "Intelligence"});
  packed(s, 7, Codec::Byte, {"Science (Ловкость рук тут!)", "Stealing", "Tame"});
  packed(s, 8, Codec::Byte,
         {"Melee", "Archery", "Backstab", "Elemental", "Senses", "Astral", "Stealth", "Awareness"});
  wholes(s, 9, Codec::NameList, {"Perks", "Weapons", "QItems", "Spells"});
  whole(s, 13, Codec::Float32, "Exp To Distribute");
  whole(s, 14, Codec::Int32, "Money");
  whole(s, 15, Codec::Byte, "Unknown2");
  return s;
}

}  // namespace

const Schema& unitsHitLocations() {
  static const Schema s = hitLocationsSchema();
  return s;
}
const Schema& unitsRaceModels() {
  static const Schema s = raceModelsSchema();
  return s;
}
const Schema& unitsMonstersPrototypes() {
  static const Schema s = monstersSchema();
  return s;
}
const Schema& unitsNpcs() {
  static const Schema s = npcsSchema();
  return s;
}

}  // namespace kessik::schemas
