// acks.db: Answers (1), Cryes (2), Others (3). Row 1 is the mask; every other
// row k is the sound list of field k. A sound row keeps the field's bytes in
// its slot, shows how many sounds the list holds, and is changed only by the
// sound list editor behind its row button; whatever is typed into its cell is
// never read.
#include "editors/engine/schema.h"

#include <initializer_list>

namespace kessik::schemas {
namespace {

Schema acksSchema(int section, std::initializer_list<const char*> soundRows) {
  Schema s;
  s.folder = "acks\\" + std::to_string(section) + "\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  int field = 2;
  for (const char* name : soundRows) s.rows.push_back(makeSoundRow(name, field++));
  return s;
}

}  // namespace

const Schema& acksAnswers() {
  static const Schema s = acksSchema(
      1,
      {"SelectVoice",   "MoveVoice",     "AttackVoice",   "CastVoice",    "LootVoice",    "UseObjVoice",
       "StealVoice",    "FollowVoice",   "UsePotVoice",   "ChPosVoice",   "NoWayVoice",   "CntChPosVoice",
       "NoPathVoice",   "CantCastVoice", "CantTeleVoice", "SkiFailVoice", "NoTargetVoice", "ComplSpVoice",
       "DecToAttVoice", "OutStamVoice",  "ArmCripVoice",  "LegCripVoice", "BoredVoice",   "Unknown1",
       "OverloadVoice", "InjuredVoice",  "BigAttVoice",   "ArmorCriVoice", "WeapCripVoice", "AttInDefVoice",
       "WaitFollVoice", "ScenarioVoice", "StealEmpVoice", "ShopYesVoice", "ShopNoVoice"});
  return s;
}

const Schema& acksCryes() {
  static const Schema s = acksSchema(2, {"AgressVoice", "SuspectVoice", "KillVoice", "RestVoice", "InAgressVoice"});
  return s;
}

const Schema& acksOthers() {
  static const Schema s = acksSchema(3, {"TalkVoice", "RestVoice"});
  return s;
}

}  // namespace kessik::schemas
