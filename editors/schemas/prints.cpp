// prints.db: Blood Prints (1), Foot Prints (2), Fire Prints (3). Every
// weather group is one field of three items: the opacity (float32), the
// lifetime and the fadeout (ticks15), written with the type bytes 1, 2, 3.
#include "editors/engine/schema.h"

#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

void addGroup(Schema& s, int field, const char* title) {
  std::string t = ru(title);
  Row opacity = makeRow(t + " Opacity", itemAt(field, 1), Codec::Float32);
  opacity.itemType = 1;
  Row lifetime = makeRow(t + " Lifetime", itemAt(field, 2), Codec::Ticks15);
  lifetime.itemType = 2;
  Row fadeout = makeRow(t + " Fadeout", itemAt(field, 3), Codec::Ticks15);
  fadeout.itemType = 3;
  s.rows.push_back(opacity);
  s.rows.push_back(lifetime);
  s.rows.push_back(fadeout);
}

Schema printsSchema(int section) {
  Schema s;
  s.folder = "prints\\" + std::to_string(section) + "\\";
  s.rows.push_back(makeRow("TerrainType", fieldAt(1), Codec::Name, CheckKind::Mask));
  addGroup(s, 2, "Clear Weather");
  addGroup(s, 3, "Weather Precipitation");
  if (section == 2) addGroup(s, 4, "Unknown1");
  return s;
}

}  // namespace

const Schema& bloodPrints() {
  static const Schema s = printsSchema(1);
  return s;
}
const Schema& footPrints() {
  static const Schema s = printsSchema(2);
  return s;
}
const Schema& firePrints() {
  static const Schema s = printsSchema(3);
  return s;
}

}  // namespace kessik::schemas
