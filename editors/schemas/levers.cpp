// levers.ldb: one section of levers (switches). Field 2 packs two places of
// two float32 values each; field 3 is a 4-byte number that can also be
// loaded from a file (its slot, behind the row button); field 8 holds a
// 24-character name part, padded with blanks, followed by the description,
// as one name.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kRows[] = {
    // name, place, codec, check, button, item type, labels, maxlen
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Place1 (1)", bytesAt(2, 1, 4), Codec::Float32},
    {"Place1 (2)", bytesAt(2, 5, 8), Codec::Float32},
    {"Place2 (1)", bytesAt(2, 9, 12), Codec::Float32},
    {"Place2 (2)", bytesAt(2, 13, 16), Codec::Float32},
    {"Unknown1 (UnsLong - предп)", fieldAt(3), Codec::Int32, CheckKind::Codec, RowButton::Raw},
    {"Scale", fieldAt(4), Codec::Float32},
    {"Switch Time", fieldAt(5), Codec::Ticks15f},
    {"Material", fieldAt(6), Codec::Name, CheckKind::None},
    {"Switch Sound", fieldAt(7), Codec::Name, CheckKind::None},
    {"Lever Description (Name)", namePartOf(8, 24), Codec::Name, CheckKind::MaxLen, RowButton::None, 1, nullptr, 24},
    {"Lever Description (Desc)", descPartOf(8, 24), Codec::Name, CheckKind::None},
};

}  // namespace

extern const SchemaDef levers = {.rows = kRows};

}  // namespace kessik::schemas
