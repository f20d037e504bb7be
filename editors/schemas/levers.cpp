// levers.ldb: one section of levers (switches). Field 2 packs two places of
// two float32 values each; field 3 is a 4-byte number that can also be
// loaded from a file (its slot); field 8 holds a 24-character name part,
// padded with blanks, followed by the description, as one name.
#include "editors/engine/schema.h"

#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

Schema leversSchema() {
  Schema s;
  s.folder = "levers\\1\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRow("Place1 (1)", bytesAt(2, 1, 4), Codec::Float32));
  s.rows.push_back(makeRow("Place1 (2)", bytesAt(2, 5, 8), Codec::Float32));
  s.rows.push_back(makeRow("Place2 (1)", bytesAt(2, 9, 12), Codec::Float32));
  s.rows.push_back(makeRow("Place2 (2)", bytesAt(2, 13, 16), Codec::Float32));

  // The number is shown and typed; the row button saves or loads the
  // field's bytes through a file.
  Row unknown = makeRow(ru("Unknown1 (UnsLong - предп)"), fieldAt(3), Codec::Int32);
  unknown.slot = true;
  unknown.button = RowButton::Raw;
  s.rows.push_back(unknown);

  s.rows.push_back(makeRow("Scale", fieldAt(4), Codec::Float32));
  s.rows.push_back(makeRow("Switch Time", fieldAt(5), Codec::Ticks15f));  // the float32 check
  s.rows.push_back(makeRow("Material", fieldAt(6), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("Switch Sound", fieldAt(7), Codec::Name, CheckKind::None));

  Row name = makeRow("Lever Description (Name)", namePartOf(8, 24), Codec::Name, CheckKind::MaxLen);
  name.maxLen = 24;
  s.rows.push_back(name);
  s.rows.push_back(makeRow("Lever Description (Desc)", descPartOf(8, 24), Codec::Name, CheckKind::None));
  return s;
}

}  // namespace

const Schema& levers() {
  static const Schema s = leversSchema();
  return s;
}

}  // namespace kessik::schemas
