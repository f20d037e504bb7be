// perks.pdb: Skills (1) and Perks (2). Every field is a single value except
// the skills' base attributes, a name list written as items of type 1. A
// perk's skill number follows its skill's name.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kSkills[] = {
    // name, place, codec, check, button
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Code", fieldAt(2), Codec::Name, CheckKind::None},
    {"Texture Type Index", fieldAt(3), Codec::Int32},
    {"Base Attributes   (LIST)", fieldAt(4), Codec::NameList},
};

constexpr RowDef kPerks[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Code", fieldAt(2), Codec::Name, CheckKind::None},
    {"Texture Type Index", fieldAt(3), Codec::Int32},
    {"Perk", fieldAt(4), Codec::Name, CheckKind::None},
    {"Skill", fieldAt(5), Codec::Name, CheckKind::None},
    {"Skill ID (генер. автоматич.)", fieldAt(6), Codec::Int32},
    {"Unknown1", fieldAt(7), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"SL", fieldAt(8), Codec::Int32},
    {"Str", fieldAt(9), Codec::Float32},
    {"Dex", fieldAt(10), Codec::Float32},
    {"Int", fieldAt(11), Codec::Float32},
    {"Cost", fieldAt(12), Codec::Int32},
    {"Modifier", fieldAt(13), Codec::Int32},
    {"Mult", fieldAt(14), Codec::Int32},
    {"Add", fieldAt(15), Codec::Int32},
    {"Active", fieldAt(16), Codec::Bool},
    {"Perk Exclusive", fieldAt(17), Codec::Int32},
};

constexpr TypeId kSkillIds[] = {
    {"melee", 0}, {"archery", 1}, {"elemental", 3}, {"sense", 4}, {"astral", 5}, {"none", 2147483647},
};
constexpr TypeIdDef kSkillNumber[] = {{"Skill", "Skill ID (генер. автоматич.)", kSkillIds}};

}  // namespace

extern const SchemaDef perksSkills = {.rows = kSkills};
extern const SchemaDef perksPerks = {.rows = kPerks, .typeIds = kSkillNumber};

}  // namespace kessik::schemas
