// quests.qdb (single-player only): Quests (1) and Briefings (2). Raw fields
// are kept in slots and changed only through the raw value dialog; name lists
// are written as items of type 1.
#include "editors/engine/schema.h"

#include "util/cp1251.h"

namespace kessik::schemas {
namespace {

Schema quests() {
  Schema s;
  s.folder = "quests\\1\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRow("Experience", fieldAt(2), Codec::Float32));
  s.rows.push_back(makeRawRow("Unknown1", 3));
  s.rows.push_back(makeRow("Zone Numer", fieldAt(4), Codec::Int32));
  s.rows.push_back(makeRow("Comment", fieldAt(5), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("Money", fieldAt(6), Codec::Float32));
  s.rows.push_back(makeRow("RecordNum", fieldAt(7), Codec::Int32));
  s.rows.push_back(makeRawRow("Unknown2", 8));
  // Any number of quests may be called "dummy"; every other mask is unique.
  s.freeMask = "dummy";
  s.recordNumber =
      RecordNumberRule{6, 0, ru("Значение этого поля должно быть равно номеру записи. В данном случае ")};
  return s;
}

Schema briefings() {
  Schema s;
  s.folder = "quests\\2\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  s.rows.push_back(makeRawRow("Unknown1", 2));
  s.rows.push_back(makeRow("Money", fieldAt(3), Codec::Float32));
  s.rows.push_back(makeRow("Give Items    (LIST)", fieldAt(4), Codec::NameList));
  s.rows.push_back(makeRow("Comment", fieldAt(5), Codec::Name, CheckKind::None));
  s.rows.push_back(makeRow("Take Items   (LIST)", fieldAt(6), Codec::NameList));
  s.rows.push_back(makeRow("GiveQuests   (LIST)", fieldAt(7), Codec::NameList));
  s.rows.push_back(makeRow("GiveQuests2   (LIST)", fieldAt(8), Codec::NameList));
  s.rows.push_back(makeRow("OpenZones   (LIST)", fieldAt(9), Codec::NameList));
  s.rows.push_back(makeRow("Unknown6   (LIST)", fieldAt(10), Codec::NameList));
  s.rows.push_back(makeRow("BonusNumer", fieldAt(11), Codec::Int32));
  return s;
}

}  // namespace

const Schema& questsQuests() {
  static const Schema s = quests();
  return s;
}
const Schema& questsBriefings() {
  static const Schema s = briefings();
  return s;
}

}  // namespace kessik::schemas
