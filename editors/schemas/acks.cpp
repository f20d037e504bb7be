// acks.db: Answers (1), Cryes (2), Others (3). Row 1 is the mask; every other
// row k is the sound list of field k. A sound row keeps the field's bytes in
// its slot, shows how many sounds the list holds, and is changed only by the
// sound list editor behind its row button; whatever is typed into its cell is
// never read.
#include "editors/engine/schema.h"

namespace kessik::schemas {
namespace {

constexpr RowDef kAnswers[] = {
    // name, place, codec, check, button
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"SelectVoice", fieldAt(2), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"MoveVoice", fieldAt(3), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"AttackVoice", fieldAt(4), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"CastVoice", fieldAt(5), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"LootVoice", fieldAt(6), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"UseObjVoice", fieldAt(7), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"StealVoice", fieldAt(8), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"FollowVoice", fieldAt(9), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"UsePotVoice", fieldAt(10), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ChPosVoice", fieldAt(11), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"NoWayVoice", fieldAt(12), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"CntChPosVoice", fieldAt(13), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"NoPathVoice", fieldAt(14), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"CantCastVoice", fieldAt(15), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"CantTeleVoice", fieldAt(16), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"SkiFailVoice", fieldAt(17), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"NoTargetVoice", fieldAt(18), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ComplSpVoice", fieldAt(19), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"DecToAttVoice", fieldAt(20), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"OutStamVoice", fieldAt(21), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ArmCripVoice", fieldAt(22), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"LegCripVoice", fieldAt(23), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"BoredVoice", fieldAt(24), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"Unknown1", fieldAt(25), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"OverloadVoice", fieldAt(26), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"InjuredVoice", fieldAt(27), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"BigAttVoice", fieldAt(28), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ArmorCriVoice", fieldAt(29), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"WeapCripVoice", fieldAt(30), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"AttInDefVoice", fieldAt(31), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"WaitFollVoice", fieldAt(32), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ScenarioVoice", fieldAt(33), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"StealEmpVoice", fieldAt(34), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ShopYesVoice", fieldAt(35), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"ShopNoVoice", fieldAt(36), Codec::SoundList, CheckKind::None, RowButton::SoundList},
};

constexpr RowDef kCryes[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"AgressVoice", fieldAt(2), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"SuspectVoice", fieldAt(3), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"KillVoice", fieldAt(4), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"RestVoice", fieldAt(5), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"InAgressVoice", fieldAt(6), Codec::SoundList, CheckKind::None, RowButton::SoundList},
};

constexpr RowDef kOthers[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"TalkVoice", fieldAt(2), Codec::SoundList, CheckKind::None, RowButton::SoundList},
    {"RestVoice", fieldAt(3), Codec::SoundList, CheckKind::None, RowButton::SoundList},
};

}  // namespace

extern const SchemaDef acksAnswers = {.rows = kAnswers};
extern const SchemaDef acksCryes = {.rows = kCryes};
extern const SchemaDef acksOthers = {.rows = kOthers};

}  // namespace kessik::schemas
