// prints.db: Blood Prints (1), Foot Prints (2), Fire Prints (3). Every
// weather group is one field of three items: the opacity (float32), the
// lifetime and the fadeout (ticks15), written with the type bytes 1, 2, 3.
// Foot Prints has a third group; the other two sections have the first seven
// rows of its table.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kRows[] = {
    // name, place, codec, check, button, item type
    {"TerrainType", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"Clear Weather Opacity", itemAt(2, 1), Codec::Float32},
    {"Clear Weather Lifetime", itemAt(2, 2), Codec::Ticks15, CheckKind::Codec, RowButton::None, 2},
    {"Clear Weather Fadeout", itemAt(2, 3), Codec::Ticks15, CheckKind::Codec, RowButton::None, 3},
    {"Weather Precipitation Opacity", itemAt(3, 1), Codec::Float32},
    {"Weather Precipitation Lifetime", itemAt(3, 2), Codec::Ticks15, CheckKind::Codec, RowButton::None, 2},
    {"Weather Precipitation Fadeout", itemAt(3, 3), Codec::Ticks15, CheckKind::Codec, RowButton::None, 3},
    // Foot Prints only
    {"Unknown1 Opacity", itemAt(4, 1), Codec::Float32},
    {"Unknown1 Lifetime", itemAt(4, 2), Codec::Ticks15, CheckKind::Codec, RowButton::None, 2},
    {"Unknown1 Fadeout", itemAt(4, 3), Codec::Ticks15, CheckKind::Codec, RowButton::None, 3},
};

constexpr std::span<const RowDef> kTwoGroups = std::span(kRows).first(7);

}  // namespace

extern const SchemaDef bloodPrints = {.rows = kTwoGroups};
extern const SchemaDef footPrints = {.rows = kRows};
extern const SchemaDef firePrints = {.rows = kTwoGroups};

}  // namespace kessik::schemas
