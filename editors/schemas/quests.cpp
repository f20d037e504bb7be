// quests.qdb (single-player only): Quests (1) and Briefings (2). Raw fields
// are kept in slots and changed only through the raw value dialog; name lists
// are written as items of type 1. A quest holds its own record number; any
// number of quests may be called "dummy", every other mask is unique.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kQuests[] = {
    // name, place, codec, check, button
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Experience", fieldAt(2), Codec::Float32},
    {"Unknown1", fieldAt(3), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Zone Numer", fieldAt(4), Codec::Int32},
    {"Comment", fieldAt(5), Codec::Name, CheckKind::None},
    {"Money", fieldAt(6), Codec::Float32},
    {"RecordNum", fieldAt(7), Codec::Int32},
    {"Unknown2", fieldAt(8), Codec::Raw, CheckKind::None, RowButton::Raw},
};

constexpr RowDef kBriefings[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Unknown1", fieldAt(2), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Money", fieldAt(3), Codec::Float32},
    {"Give Items    (LIST)", fieldAt(4), Codec::NameList},
    {"Comment", fieldAt(5), Codec::Name, CheckKind::None},
    {"Take Items   (LIST)", fieldAt(6), Codec::NameList},
    {"GiveQuests   (LIST)", fieldAt(7), Codec::NameList},
    {"GiveQuests2   (LIST)", fieldAt(8), Codec::NameList},
    {"OpenZones   (LIST)", fieldAt(9), Codec::NameList},
    {"Unknown6   (LIST)", fieldAt(10), Codec::NameList},
    {"BonusNumer", fieldAt(11), Codec::Int32},
};

constexpr RecordNumberDef kOwnNumber = {"RecordNum", 0, "Значение этого поля должно быть равно номеру записи. В данном случае "};

}  // namespace

extern const SchemaDef questsQuests = {.rows = kQuests, .freeMask = "dummy", .recordNumber = &kOwnNumber};
extern const SchemaDef questsBriefings = {.rows = kBriefings};

}  // namespace kessik::schemas
