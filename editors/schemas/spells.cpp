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

constexpr RowDef kPrototypes[] = {
    // name, place, codec, check, button, item type, labels
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Code", fieldAt(2), Codec::Name, CheckKind::None},
    {"SubType", fieldAt(3), Codec::Name, CheckKind::None},
    {"Price", fieldAt(4), Codec::Float32},
    {"TypeID", fieldAt(5), Codec::Int32Label, CheckKind::Codec, RowButton::Chooser, 1, &kPrototypeTypes},
    {"Mana", fieldAt(6), Codec::Float32},
    {"Slots", fieldAt(7), Codec::Int32},
    {"Speed", fieldAt(8), Codec::Float32},
    {"Range", fieldAt(9), Codec::Float32},
    {"Area", fieldAt(10), Codec::Float32},
    {"Effect", fieldAt(11), Codec::Float32},
    {"Target", fieldAt(12), Codec::Char1},
    {"Num Targets", fieldAt(13), Codec::Int32},
    {"Duration", fieldAt(14), Codec::Int32},
    {"Actions", fieldAt(15), Codec::Int32},
    {"Require Trace", fieldAt(16), Codec::Int32},
    {"Built-in Mods", fieldAt(17), Codec::Code4List},
    {"Special Mods", fieldAt(18), Codec::Code4List},
    {"Texture Type Index", fieldAt(19), Codec::Int32},
    {"Unknown1", fieldAt(20), Codec::Int32},
    {"Range Mod", bytesAt(21, 1, 1), Codec::Bool},
    {"Targets Mod", bytesAt(21, 2, 2), Codec::Bool},
    {"Area Mod", bytesAt(21, 3, 3), Codec::Bool},
    {"Effect Mod", bytesAt(21, 4, 4), Codec::Bool},
    {"Duration Mod", bytesAt(21, 5, 5), Codec::Bool},
    {"Complex", fieldAt(22), Codec::Int32},
    {"ShopInfo", fieldAt(23), Codec::Bitset30},
    {"Unknown2", fieldAt(24), Codec::Float32},
    {"Unknown3", fieldAt(25), Codec::Float32},
    {"Unknown4", fieldAt(26), Codec::Float32},
    {"Unknown5", fieldAt(27), Codec::Float32},
    {"Unknown6", fieldAt(28), Codec::Float32},
};

constexpr RowDef kModifiers[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Code", fieldAt(2), Codec::Code4},
    {"Price", fieldAt(3), Codec::Float32},
    {"TypeID", fieldAt(4), Codec::Int32Label, CheckKind::Codec, RowButton::Chooser, 1, &kModifierTypes},
    {"Mana", fieldAt(5), Codec::Float32},
    {"Value", fieldAt(6), Codec::Float32},
    {"Complex", fieldAt(7), Codec::Int32},
    {"Shop", fieldAt(8), Codec::Name, CheckKind::None},
    {"ShopInfo", fieldAt(9), Codec::Bitset30},
};

// S_Spells, S_Armors, S_Weapons: a prototype, two name lists, a power text
// and the shops.
constexpr RowDef kShopList[] = {
    {"Prototype", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Required", fieldAt(2), Codec::NameList},
    {"Optional", fieldAt(3), Codec::NameList},
    {"Power", fieldAt(4), Codec::Name, CheckKind::None},
    {"ShopInfo", fieldAt(5), Codec::Bitset30},
};

}  // namespace

extern const SchemaDef spellsPrototypes = {.rows = kPrototypes};
extern const SchemaDef spellsModifiers = {.rows = kModifiers};
extern const SchemaDef spellsSSpells = {.rows = kShopList, .masks = MaskRule::Repeatable};
extern const SchemaDef spellsSArmors = {.rows = kShopList, .masks = MaskRule::Repeatable};
extern const SchemaDef spellsSWeapons = {.rows = kShopList, .masks = MaskRule::Repeatable};

}  // namespace kessik::schemas
