// items.idb: Materials (1), Weapons (2), Armors (3), Quick Items (4), Quest
// Items (5), Loot Items (6). Most rows are a whole field each; the
// absorption and damage proportions are packed runs of float32 values;
// raw rows keep their bytes in a slot edited through a file. The section
// rules: Materials' own index in field 4, the IDs set from type names, and
// Weapons' damage stored as a tenth of the minimum and of the spread.
#include <initializer_list>

#include "editors/engine/schema.h"
#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

enum class Kind {
  Check,  // the codec's check
  Mask,   // the mask row
  Free,   // no check (names)
};
// A raw row (Codec::Raw) keeps its bytes in a slot, edited through the raw
// value dialog of its row button.

struct Spec {
  const char* name;  // UTF-8, as the first column shows it
  Codec codec;
  Kind kind = Kind::Check;
};

void add(Schema& s, const Spec& spec, Place place) {
  if (spec.codec == Codec::Raw) {
    s.rows.push_back(makeRawRow(ru(spec.name), place.field));
    return;
  }
  CheckKind check = spec.kind == Kind::Mask    ? CheckKind::Mask
                    : spec.kind == Kind::Check ? CheckKind::Codec
                                               : CheckKind::None;
  s.rows.push_back(makeRow(ru(spec.name), place, spec.codec, check));
}

// Rows in the fields that follow the last one named, one field per row.
void fields(Schema& s, std::initializer_list<Spec> specs) {
  int field = s.rows.empty() ? 1 : s.rows.back().place.field + 1;
  for (const Spec& spec : specs) add(s, spec, fieldAt(field++));
}

// One field of float32 values packed back to back, one row each.
void packedFloats(Schema& s, std::initializer_list<const char*> names) {
  const int field = s.rows.back().place.field + 1;
  int from = 1;
  for (const char* name : names) {
    add(s, {name, Codec::Float32}, bytesAt(field, from, from + 3));
    from += 4;
  }
}

constexpr Spec kName{"Name", Codec::Name, Kind::Mask};

// The rows Weapons, Armors and Quick Items share after their type (row 2):
// the ID or Unknown1 in field 3 comes from the caller.
void generalRows(Schema& s) {
  fields(s, {
                {"Graphics Data Texture Type Index", Codec::Int32},
                {"Graphics Data Texture Type Index2", Codec::Int32},
                {"General Price", Codec::Float32},
                {"General Weight", Codec::Float32},
                {"General Size", Codec::Float32},
                {"General Mana", Codec::Float32},
                {"General Slots", Codec::Int32},
                {"General Durability", Codec::Float32},
                {"General Components", Codec::Int32},
                {"ShopInfo", Codec::Bitset30},
                {"General Deconstructable", Codec::Bool},
            });
}

TypeIdRule typeIds(int typeRow, int idRow, std::initializer_list<const char*> names, const std::vector<int>& ids = {}) {
  TypeIdRule rule;
  rule.typeRow = typeRow - 1;
  rule.idRow = idRow - 1;
  int i = 0;
  for (const char* n : names) {
    rule.ids.emplace_back(n, ids.empty() ? i : ids[i]);
    ++i;
  }
  return rule;
}

Schema materials() {
  Schema s;
  s.folder = "items\\1\\";
  fields(s, {
                kName,
                {"Material Type", Codec::Name, Kind::Free},
                {"Material Code Name", Codec::Name, Kind::Free},
                {"Unknown1 (точно UnsLong)", Codec::Int32},
                {"General Price", Codec::Float32},
                {"General Weight", Codec::Float32},
                {"General Mana", Codec::Float32},
                {"General Slots", Codec::Int32},
                {"General Durability", Codec::Float32},
                {"Material Skill", Codec::Int32},
                {"Material Damage", Codec::Float32},
            });
  packedFloats(s, {"Absorption Piercing", "Absorption Slashing", "Absorption Bludgeoning", "Absorption Termal",
                   "Absorption Chemic", "Absorption Electric", "Absorption General"});
  fields(s, {
                {"Unknown2 (редактир. кнопкой)", Codec::Raw},
                {"ShopInfo", Codec::Bitset30},
            });
  s.recordNumber = RecordNumberRule{3, -1, ru("Значение этого поля должно быть равно номеру записи-1. В данном случае ")};
  return s;
}

Schema weapons() {
  Schema s;
  s.folder = "items\\2\\";
  fields(s, {
                kName,
                {"Weapon Type", Codec::Name, Kind::Free},
                {"Weapon ID (генер-ся автоматически)", Codec::Int32},
                {"Weapon Material Type", Codec::Name, Kind::Free},
                {"Unknown1", Codec::Raw},
            });
  generalRows(s);
  fields(s, {
                {"Weapon Actions", Codec::Int32},
                {"Unknown2", Codec::Raw},
                {"Weapon Range", Codec::Float32},
                {"Weapon Damage Min", Codec::Float32},
                {"Weapon Damage Max", Codec::Float32},
            });
  packedFloats(s, {"Damage proportions Piercing", "Damage proportions Slashing", "Damage proportions Bludgeoning",
                   "Damage proportions Termal", "Damage proportions Chemic", "Damage proportions Electric",
                   "Damage proportions General"});
  fields(s, {
                {"Unknown3", Codec::Raw},
                {"Unknown4", Codec::Raw},
                {"Attack bonus", Codec::Float32},
                {"Defence bonus", Codec::Float32},
            });
  s.typeIds.push_back(typeIds(2, 3, {"sword", "axe", "dagger", "spear", "hammer", "bow", "crossbow"}));
  s.minMax.push_back({19, 20, 10});  // rows 20 and 21
  return s;
}

Schema armors() {
  Schema s;
  s.folder = "items\\3\\";
  fields(s, {
                kName,
                {"Armor Type", Codec::Name, Kind::Free},
                {"Armor ID (генер-ся автоматически)", Codec::Int32},
                {"Armor Material Type", Codec::Name, Kind::Free},
                {"Unknown1", Codec::Raw},
            });
  generalRows(s);
  packedFloats(s, {"Main Absorption", "Main Piercing", "Main Slashing", "Main Bludgeoning", "Main Termal",
                   "Main Chemic", "Main Electric", "Main General", "Unknown2"});
  packedFloats(s, {"Additional Absorption", "Additional Piercing", "Additional Slashing", "Additional Bludgeoning",
                   "Additional Termal", "Additional Chemic", "Additional Electric", "Additional General",
                   "Unknown3"});
  fields(s, {
                {"Graphics Data Apply Wounds", Codec::Bool},
                {"Graphics Data Wear Order", Codec::Int32},
                {"Unknown4", Codec::Raw},
                {"Unknown5", Codec::Raw},
            });
  s.typeIds.push_back(typeIds(2, 3, {"helm", "plate", "leggings", "shirt", "pants", "boots", "gloves"}));
  return s;
}

Schema quickItems() {
  Schema s;
  s.folder = "items\\4\\";
  fields(s, {
                kName,
                {"Quick Items Type", Codec::Name, Kind::Free},
                {"Unknown1", Codec::Raw},
                {"Quick Items Material Type", Codec::Name, Kind::Free},
                {"Unknown2", Codec::Raw},
            });
  generalRows(s);
  fields(s, {
                {"QItem ID (генер. автом.)", Codec::Int32},
                {"Graphics Data Level", Codec::Int32},
                {"Quick Items Damage", Codec::Float32},
                {"Unknown3", Codec::Raw},
                {"Quick Items Spell", Codec::Name, Kind::Free},
                {"Unknown4", Codec::Raw},
                {"Unknown5", Codec::Raw},
            });
  s.typeIds.push_back(typeIds(2, 17, {"dangersensor", "wand", "scroll"}, {0, 5, 8}));
  return s;
}

Schema questItems() {
  Schema s;
  s.folder = "items\\5\\";
  fields(s, {
                kName,
                {"Unknown1 (предп. ItemType)", Codec::Name, Kind::Free},
                {"Unknown2 (предп. Item Type ID)", Codec::Raw},
                {"Unknown3 (предп. Material)", Codec::Name, Kind::Free},
                {"Unknown4", Codec::Raw},
                {"Graphics Data Texture Type Index", Codec::Int32},
                {"Graphics Data Texture Type Index2", Codec::Int32},
                {"Unknown5 (предп. General Price)", Codec::Float32},
                {"Unknown6 (предп. General Weight)", Codec::Float32},
                {"Unknown7 (предп. General Size)", Codec::Float32},
                {"Unknown8 (предп. General Mana)", Codec::Float32},
                {"Unknown9 (предп. General Slots)", Codec::Int32},
                {"Unknown10 (предп. General Durability)", Codec::Float32},
                {"Unknown11 (предп. General Components)", Codec::Int32},
                {"Shop Info", Codec::Bitset30},
                {"Unknown12 (пр. General Deconstructable)", Codec::Bool},
                {"Quest Items ScriptID", Codec::Int32},
                {"Quest Items Zones   (LIST)", Codec::NameList},
            });
  return s;
}

Schema lootItems() {
  Schema s;
  s.folder = "items\\6\\";
  fields(s, {
                kName,
                {"Loot Type", Codec::Name, Kind::Free},
                {"Unknown1", Codec::Raw},
                {"Unknown2 (предп. Material)", Codec::Name, Kind::Free},
                {"Unknown3", Codec::Raw},
                {"Graphics Data Texture Type Index", Codec::Int32},
                {"Graphics Data Texture Type Index2", Codec::Int32},
                {"General Price", Codec::Float32},
                {"General Weight", Codec::Float32},
                {"General Size", Codec::Float32},
                {"Unknown4 (предп. Ganeral Mana)", Codec::Float32},
                {"Unknown5 (предп. General Slots)", Codec::Int32},
                {"Unknown6 (предп. General Durability)", Codec::Float32},
                {"Unknown7 (предп. General Components)", Codec::Int32},
                {"ShopInfo", Codec::Bitset30},
                {"Unknown8 (пр. GeneralDeconstructable)", Codec::Bool},
                {"Loot Type ID", Codec::Int32},
                {"Unknown9", Codec::Int32},
                {"Unknown10", Codec::Int32},
            });
  s.typeIds.push_back(typeIds(2, 17, {"treasure", "material", "instruction"}));
  return s;
}

}  // namespace

const Schema& itemsMaterials() {
  static const Schema s = materials();
  return s;
}
const Schema& itemsWeapons() {
  static const Schema s = weapons();
  return s;
}
const Schema& itemsArmors() {
  static const Schema s = armors();
  return s;
}
const Schema& itemsQuickItems() {
  static const Schema s = quickItems();
  return s;
}
const Schema& itemsQuestItems() {
  static const Schema s = questItems();
  return s;
}
const Schema& itemsLootItems() {
  static const Schema s = lootItems();
  return s;
}

}  // namespace kessik::schemas
