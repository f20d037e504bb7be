// items.idb: Materials (1), Weapons (2), Armors (3), Quick Items (4), Quest
// Items (5), Loot Items (6). Most rows are a whole field each; the
// absorption and damage proportions are packed runs of float32 values; raw
// rows keep their bytes in a slot edited through a file. Weapons, Armors and
// Quick Items share their general rows (fields 6 to 16). The section rules:
// Materials' own index in field 4, the IDs set from type names, and Weapons'
// damage stored as a tenth of the minimum and of the spread.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kMaterials[] = {
    // name, place, codec, check, button
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Material Type", fieldAt(2), Codec::Name, CheckKind::None},
    {"Material Code Name", fieldAt(3), Codec::Name, CheckKind::None},
    {"Unknown1 (точно UnsLong)", fieldAt(4), Codec::Int32},
    {"General Price", fieldAt(5), Codec::Float32},
    {"General Weight", fieldAt(6), Codec::Float32},
    {"General Mana", fieldAt(7), Codec::Float32},
    {"General Slots", fieldAt(8), Codec::Int32},
    {"General Durability", fieldAt(9), Codec::Float32},
    {"Material Skill", fieldAt(10), Codec::Int32},
    {"Material Damage", fieldAt(11), Codec::Float32},
    {"Absorption Piercing", bytesAt(12, 1, 4), Codec::Float32},
    {"Absorption Slashing", bytesAt(12, 5, 8), Codec::Float32},
    {"Absorption Bludgeoning", bytesAt(12, 9, 12), Codec::Float32},
    {"Absorption Termal", bytesAt(12, 13, 16), Codec::Float32},
    {"Absorption Chemic", bytesAt(12, 17, 20), Codec::Float32},
    {"Absorption Electric", bytesAt(12, 21, 24), Codec::Float32},
    {"Absorption General", bytesAt(12, 25, 28), Codec::Float32},
    {"Unknown2 (редактир. кнопкой)", fieldAt(13), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"ShopInfo", fieldAt(14), Codec::Bitset30},
};

// Fields 6 to 16 of Weapons, Armors and Quick Items.
constexpr RowDef kGeneral[] = {
    {"Graphics Data Texture Type Index", fieldAt(6), Codec::Int32},
    {"Graphics Data Texture Type Index2", fieldAt(7), Codec::Int32},
    {"General Price", fieldAt(8), Codec::Float32},
    {"General Weight", fieldAt(9), Codec::Float32},
    {"General Size", fieldAt(10), Codec::Float32},
    {"General Mana", fieldAt(11), Codec::Float32},
    {"General Slots", fieldAt(12), Codec::Int32},
    {"General Durability", fieldAt(13), Codec::Float32},
    {"General Components", fieldAt(14), Codec::Int32},
    {"ShopInfo", fieldAt(15), Codec::Bitset30},
    {"General Deconstructable", fieldAt(16), Codec::Bool},
};

constexpr RowDef kWeaponsHead[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Weapon Type", fieldAt(2), Codec::Name, CheckKind::None},
    {"Weapon ID (генер-ся автоматически)", fieldAt(3), Codec::Int32},
    {"Weapon Material Type", fieldAt(4), Codec::Name, CheckKind::None},
    {"Unknown1", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr RowDef kWeaponsTail[] = {
    {"Weapon Actions", fieldAt(17), Codec::Int32},
    {"Unknown2", fieldAt(18), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Weapon Range", fieldAt(19), Codec::Float32},
    {"Weapon Damage Min", fieldAt(20), Codec::Float32},
    {"Weapon Damage Max", fieldAt(21), Codec::Float32},
    {"Damage proportions Piercing", bytesAt(22, 1, 4), Codec::Float32},
    {"Damage proportions Slashing", bytesAt(22, 5, 8), Codec::Float32},
    {"Damage proportions Bludgeoning", bytesAt(22, 9, 12), Codec::Float32},
    {"Damage proportions Termal", bytesAt(22, 13, 16), Codec::Float32},
    {"Damage proportions Chemic", bytesAt(22, 17, 20), Codec::Float32},
    {"Damage proportions Electric", bytesAt(22, 21, 24), Codec::Float32},
    {"Damage proportions General", bytesAt(22, 25, 28), Codec::Float32},
    {"Unknown3", fieldAt(23), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Unknown4", fieldAt(24), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Attack bonus", fieldAt(25), Codec::Float32},
    {"Defence bonus", fieldAt(26), Codec::Float32},
};

constexpr auto kWeapons = joinRows(kWeaponsHead, kGeneral, kWeaponsTail);

constexpr RowDef kArmorsHead[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Armor Type", fieldAt(2), Codec::Name, CheckKind::None},
    {"Armor ID (генер-ся автоматически)", fieldAt(3), Codec::Int32},
    {"Armor Material Type", fieldAt(4), Codec::Name, CheckKind::None},
    {"Unknown1", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr RowDef kArmorsTail[] = {
    {"Main Absorption", bytesAt(17, 1, 4), Codec::Float32},
    {"Main Piercing", bytesAt(17, 5, 8), Codec::Float32},
    {"Main Slashing", bytesAt(17, 9, 12), Codec::Float32},
    {"Main Bludgeoning", bytesAt(17, 13, 16), Codec::Float32},
    {"Main Termal", bytesAt(17, 17, 20), Codec::Float32},
    {"Main Chemic", bytesAt(17, 21, 24), Codec::Float32},
    {"Main Electric", bytesAt(17, 25, 28), Codec::Float32},
    {"Main General", bytesAt(17, 29, 32), Codec::Float32},
    {"Unknown2", bytesAt(17, 33, 36), Codec::Float32},
    {"Additional Absorption", bytesAt(18, 1, 4), Codec::Float32},
    {"Additional Piercing", bytesAt(18, 5, 8), Codec::Float32},
    {"Additional Slashing", bytesAt(18, 9, 12), Codec::Float32},
    {"Additional Bludgeoning", bytesAt(18, 13, 16), Codec::Float32},
    {"Additional Termal", bytesAt(18, 17, 20), Codec::Float32},
    {"Additional Chemic", bytesAt(18, 21, 24), Codec::Float32},
    {"Additional Electric", bytesAt(18, 25, 28), Codec::Float32},
    {"Additional General", bytesAt(18, 29, 32), Codec::Float32},
    {"Unknown3", bytesAt(18, 33, 36), Codec::Float32},
    {"Graphics Data Apply Wounds", fieldAt(19), Codec::Bool},
    {"Graphics Data Wear Order", fieldAt(20), Codec::Int32},
    {"Unknown4", fieldAt(21), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Unknown5", fieldAt(22), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr auto kArmors = joinRows(kArmorsHead, kGeneral, kArmorsTail);

constexpr RowDef kQuickItemsHead[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Quick Items Type", fieldAt(2), Codec::Name, CheckKind::None},
    {"Unknown1", fieldAt(3), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Quick Items Material Type", fieldAt(4), Codec::Name, CheckKind::None},
    {"Unknown2", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr RowDef kQuickItemsTail[] = {
    {"QItem ID (генер. автом.)", fieldAt(17), Codec::Int32},
    {"Graphics Data Level", fieldAt(18), Codec::Int32},
    {"Quick Items Damage", fieldAt(19), Codec::Float32},
    {"Unknown3", fieldAt(20), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Quick Items Spell", fieldAt(21), Codec::Name, CheckKind::None},
    {"Unknown4", fieldAt(22), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Unknown5", fieldAt(23), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr auto kQuickItems = joinRows(kQuickItemsHead, kGeneral, kQuickItemsTail);

constexpr RowDef kQuestItems[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Unknown1 (предп. ItemType)", fieldAt(2), Codec::Name, CheckKind::None},
    {"Unknown2 (предп. Item Type ID)", fieldAt(3), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Unknown3 (предп. Material)", fieldAt(4), Codec::Name, CheckKind::None},
    {"Unknown4", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Graphics Data Texture Type Index", fieldAt(6), Codec::Int32},
    {"Graphics Data Texture Type Index2", fieldAt(7), Codec::Int32},
    {"Unknown5 (предп. General Price)", fieldAt(8), Codec::Float32},
    {"Unknown6 (предп. General Weight)", fieldAt(9), Codec::Float32},
    {"Unknown7 (предп. General Size)", fieldAt(10), Codec::Float32},
    {"Unknown8 (предп. General Mana)", fieldAt(11), Codec::Float32},
    {"Unknown9 (предп. General Slots)", fieldAt(12), Codec::Int32},
    {"Unknown10 (предп. General Durability)", fieldAt(13), Codec::Float32},
    {"Unknown11 (предп. General Components)", fieldAt(14), Codec::Int32},
    {"Shop Info", fieldAt(15), Codec::Bitset30},
    {"Unknown12 (пр. General Deconstructable)", fieldAt(16), Codec::Bool},
    {"Quest Items ScriptID", fieldAt(17), Codec::Int32},
    {"Quest Items Zones   (LIST)", fieldAt(18), Codec::NameList},
};

constexpr RowDef kLootItems[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Loot Type", fieldAt(2), Codec::Name, CheckKind::None},
    {"Unknown1", fieldAt(3), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Unknown2 (предп. Material)", fieldAt(4), Codec::Name, CheckKind::None},
    {"Unknown3", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Graphics Data Texture Type Index", fieldAt(6), Codec::Int32},
    {"Graphics Data Texture Type Index2", fieldAt(7), Codec::Int32},
    {"General Price", fieldAt(8), Codec::Float32},
    {"General Weight", fieldAt(9), Codec::Float32},
    {"General Size", fieldAt(10), Codec::Float32},
    {"Unknown4 (предп. Ganeral Mana)", fieldAt(11), Codec::Float32},
    {"Unknown5 (предп. General Slots)", fieldAt(12), Codec::Int32},
    {"Unknown6 (предп. General Durability)", fieldAt(13), Codec::Float32},
    {"Unknown7 (предп. General Components)", fieldAt(14), Codec::Int32},
    {"ShopInfo", fieldAt(15), Codec::Bitset30},
    {"Unknown8 (пр. GeneralDeconstructable)", fieldAt(16), Codec::Bool},
    {"Loot Type ID", fieldAt(17), Codec::Int32},
    {"Unknown9", fieldAt(18), Codec::Int32},
    {"Unknown10", fieldAt(19), Codec::Int32},
};

constexpr RecordNumberDef kMaterialIndex = {"Unknown1 (точно UnsLong)", -1,
                                            "Значение этого поля должно быть равно номеру записи-1. В данном случае "};

constexpr TypeId kWeaponIds[] = {{"sword", 0}, {"axe", 1},    {"dagger", 2},  {"spear", 3},
                                 {"hammer", 4}, {"bow", 5},   {"crossbow", 6}};
constexpr TypeIdDef kWeaponId[] = {{"Weapon Type", "Weapon ID (генер-ся автоматически)", kWeaponIds}};
constexpr MinMaxDef kWeaponDamage[] = {{"Weapon Damage Min", "Weapon Damage Max", 10}};

constexpr TypeId kArmorIds[] = {{"helm", 0},  {"plate", 1}, {"leggings", 2}, {"shirt", 3},
                                {"pants", 4}, {"boots", 5}, {"gloves", 6}};
constexpr TypeIdDef kArmorId[] = {{"Armor Type", "Armor ID (генер-ся автоматически)", kArmorIds}};

constexpr TypeId kQuickItemIds[] = {{"dangersensor", 0}, {"wand", 5}, {"scroll", 8}};
constexpr TypeIdDef kQuickItemId[] = {{"Quick Items Type", "QItem ID (генер. автом.)", kQuickItemIds}};

constexpr TypeId kLootIds[] = {{"treasure", 0}, {"material", 1}, {"instruction", 2}};
constexpr TypeIdDef kLootId[] = {{"Loot Type", "Loot Type ID", kLootIds}};

}  // namespace

extern const SchemaDef itemsMaterials = {.rows = kMaterials, .recordNumber = &kMaterialIndex};
extern const SchemaDef itemsWeapons = {.rows = kWeapons, .typeIds = kWeaponId, .minMax = kWeaponDamage};
extern const SchemaDef itemsArmors = {.rows = kArmors, .typeIds = kArmorId};
extern const SchemaDef itemsQuickItems = {.rows = kQuickItems, .typeIds = kQuickItemId};
extern const SchemaDef itemsQuestItems = {.rows = kQuestItems};
extern const SchemaDef itemsLootItems = {.rows = kLootItems, .typeIds = kLootId};

}  // namespace kessik::schemas
