#include "editors/schemas/window_table.h"

namespace kessik {

namespace {

WindowEntry singl(const char* cls, const char* db, int section, const char* folder,
                  const char* caption, const char* menu, const char* menuCaption, WindowSize size) {
  return {cls, Game::Singl, db, section, folder, caption, menu, menuCaption, size};
}

WindowEntry lmp(const char* cls, const char* db, int section, const char* folder,
                const char* caption, const char* menu, const char* menuCaption, WindowSize size) {
  return {cls, Game::Lmp, db, section, folder, caption, menu, menuCaption, size};
}

std::vector<WindowEntry> buildTable() {
  return {
      // Single-player game, grouped by database as under "Сингл".
      singl("TSinglAcksDbR1F", "acks.db", 1, "acks\\1\\", "Acks.db : Answers (SINGL)", "AcksMenu1", "Answers", {598, 561, 561, 480, 194, 344}),
      singl("TSinglAcksDbR2F", "acks.db", 2, "acks\\2\\", "Acks.db : Cryes (SINGL)", "AcksMenu2", "Cryes", {598, 227, 561, 138, 194, 361}),
      singl("TSinglAcksDbR3F", "acks.db", 3, "acks\\3\\", "Acks.db : Others (SINGL)", "AcksMenu3", "Others", {598, 167, 561, 83, 194, 361}),
      singl("TSinglItemsIdbR1F", "items.idb", 1, "items\\1\\", "Items.idb : Materials (SINGL)", "ItemsMenu1", "Materials", {597, 489, 561, 405, 183, 372}),
      singl("TSinglItemsIdbR2F", "items.idb", 2, "items\\2\\", "Items.idb : Weapons (SINGL)", "ItemsMenu2", "Weapons", {597, 503, 561, 423, 194, 344}),
      singl("TSinglItemsIdbR3F", "items.idb", 3, "items\\3\\", "Items.idb : Armors (SINGL)", "ItemsMenu3", "Armors", {597, 503, 561, 423, 194, 344}),
      singl("TSinglItemsIdbR4F", "items.idb", 4, "items\\4\\", "Items.idb : Quick Items (SINGL)", "ItemsMenu4", "Quick Items", {597, 541, 561, 462, 194, 361}),
      singl("TSinglItemsIdbR5F", "items.idb", 5, "items\\5\\", "Items.idb : Quest Items (SINGL)", "ItemsMenu5", "Quest Items", {597, 445, 561, 367, 209, 346}),
      singl("TSinglItemsIdbR6F", "items.idb", 6, "items\\6\\", "Items.idb : Loot Items (SINGL)", "ItemsMenu6", "Loot Items", {597, 467, 561, 387, 203, 352}),
      singl("TLeversF", "levers.ldb", 1, "levers\\1\\", "Levers.ldb (SINGL)", "LeversMenu", "levers.ldb", {588, 346, 561, 257, 180, 375}),
      singl("TSinglPerksPdbR1F", "perks.pdb", 1, "perks\\1\\", "Perks.pdb : Skills (SINGL)", "PerksMenu1", "Skills", {597, 181, 561, 101, 194, 361}),
      singl("TSinglPerksPdbR2F", "perks.pdb", 2, "perks\\2\\", "Perks.pdb : Perks (SINGL)", "PerksMenu2", "Perks", {597, 428, 561, 348, 194, 361}),
      singl("TSinglPrintsDbR1F", "prints.db", 1, "prints\\1\\", "Prints.db : Blood Prints (SINGL)", "PrintsMenu1", "BloodPrints", {597, 246, 561, 161, 180, 375}),
      singl("TSinglPrintsDbR2F", "prints.db", 2, "prints\\2\\", "Prints.db : Foot Prints (SINGL)", "PrintsMenu2", "FootPrints", {597, 299, 561, 216, 180, 375}),
      singl("TSinglPrintsDbR3F", "prints.db", 3, "prints\\3\\", "Prints.db : Fire Prints (SINGL)", "PrintsMenu3", "FirePrints", {597, 246, 561, 161, 180, 375}),
      singl("TSinglQuestsQdbR1F", "quests.qdb", 1, "quests\\1\\", "Quests.qdb : Quests (SINGL)", "QuestsMenu1", "Quests", {597, 257, 561, 176, 209, 346}),
      singl("TSinglQuestsQdbR2F", "quests.qdb", 2, "quests\\2\\", "Quests.qdb : Briefings (SINGL)", "QuestsMenu2", "Briefings", {597, 308, 561, 231, 209, 346}),
      singl("TSinglSpellsSdbR1F", "spells.sdb", 1, "spells\\1\\", "Spells.sdb : Spell Prototypes (SINGL)", "SpellsMenu1", "SpellPrototypes", {598, 561, 561, 480, 194, 344}),
      singl("TSinglSpellsSdbR2F", "spells.sdb", 2, "spells\\2\\", "Spells.sdb : Spell Modifiers (SINGL)", "SpellsMenu2", "SpellModifiers", {598, 280, 561, 196, 194, 361}),
      singl("TSinglSpellsSdbR3F", "spells.sdb", 3, "spells\\3\\", "Spells.sdb : S_Spells (SINGL)", "SpellsMenu3", "S_Spells", {598, 199, 561, 120, 194, 361}),
      singl("TSinglSpellsSdbR4F", "spells.sdb", 4, "spells\\4\\", "Spells.sdb : S_Armors (SINGL)", "SpellsMenu4", "S_Armors", {598, 199, 561, 120, 194, 361}),
      singl("TSinglSpellsSdbR5F", "spells.sdb", 5, "spells\\5\\", "Spells.sdb : S_Weapons (SINGL)", "SpellsMenu5", "S_Weapons", {598, 199, 561, 120, 194, 361}),
      singl("TSinglUnitsUdbR1F", "units.udb", 1, "units\\1\\", "Units.udb : Hit Locations (SINGL)", "UnitsMenu1", "HitLocations", {597, 429, 561, 348, 194, 361}),
      singl("TSinglUnitsUdbR2F", "units.udb", 2, "units\\2\\", "Units.udb : Race Models (SINGL)", "UnitsMenu2", "RaceModels", {598, 539, 561, 460, 194, 344}),
      singl("TSinglUnitsUdbR3F", "units.udb", 3, "units\\3\\", "Units.udb : Monsters Prototypes (SINGL)", "UnitsMenu3", "MonstersPrototypes", {598, 539, 561, 460, 194, 344}),
      singl("TSinglUnitsUdbR4F", "units.udb", 4, "units\\4\\", "Units.udb : NPCs (SINGL)", "UnitsMenu4", "NPCs", {598, 561, 561, 480, 194, 361}),

      // Multiplayer game, as under "Мульти" (no acks.db, no quests.qdb).
      lmp("TItemsIdbR1F", "items.idb", 1, "items\\1\\", "Items.idb : Materials (LMP)", "LmpItemsMenu1", "Materials", {597, 489, 561, 405, 183, 372}),
      lmp("TItemsIdbR2F", "items.idb", 2, "items\\2\\", "Items.idb : Weapons (LMP)", "LmpItemsMenu2", "Weapons", {597, 503, 561, 423, 194, 344}),
      lmp("TItemsIdbR3F", "items.idb", 3, "items\\3\\", "Items.idb : Armors (LMP)", "LmpItemsMenu3", "Armors", {597, 503, 561, 423, 194, 344}),
      lmp("TItemsIdbR4F", "items.idb", 4, "items\\4\\", "Items.idb : Quick Items (LMP)", "LmpItemsMenu4", "Quick Items", {597, 541, 561, 462, 194, 361}),
      lmp("TItemsIdbR5F", "items.idb", 5, "items\\5\\", "Items.idb : Quest Items (LMP)", "LmpItemsMenu5", "Quest Items", {597, 445, 561, 367, 209, 346}),
      lmp("TItemsIdbR6F", "items.idb", 6, "items\\6\\", "Items.idb : Loot Items (LMP)", "LmpItemsMenu6", "Loot Items", {597, 467, 561, 387, 203, 352}),
      lmp("TLmpLeversF", "levers.ldb", 1, "levers\\1\\", "Levers.ldb (LMP)", "LmpLeversMenu", "levers.ldb", {597, 341, 561, 257, 180, 375}),
      lmp("TPerksPdbR1F", "perks.pdb", 1, "perks\\1\\", "Perks.pdb : Skills (LMP)", "LmpPerksMenu1", "Skills", {597, 181, 561, 101, 194, 361}),
      lmp("TPerksPdbR2F", "perks.pdb", 2, "perks\\2\\", "Perks.pdb : Perks (LMP)", "LmpPerksMenu2", "Perks", {597, 428, 561, 348, 194, 361}),
      lmp("TPrintsDbR1F", "prints.db", 1, "prints\\1\\", "Prints.db : Blood Prints (LMP)", "Bas_Mult_Prints_Razd1Menu", "BloodPrints", {597, 246, 561, 161, 180, 375}),
      lmp("TPrintsDbR2F", "prints.db", 2, "prints\\2\\", "Prints.db : Foot Prints (LMP)", "Bas_Mult_Prints_Razd2Menu", "FootPrints", {597, 299, 561, 216, 180, 375}),
      lmp("TPrintsDbR3F", "prints.db", 3, "prints\\3\\", "Prints.db : Fire Prints (LMP)", "Bas_Mult_Prints_Razd3Menu", "FirePrints", {597, 246, 561, 161, 180, 375}),
      lmp("TSpellsSdbR1F", "spells.sdb", 1, "spells\\1\\", "Spells.sdb : Spell Prototypes (LMP)", "LmpSpellsMenu1", "SpellPrototypes", {598, 561, 561, 480, 194, 344}),
      lmp("TSpellsSdbR2F", "spells.sdb", 2, "spells\\2\\", "Spells.sdb : Spell Modifiers (LMP)", "LmpSpellsMenu2", "SpellModifiers", {598, 280, 561, 196, 194, 361}),
      lmp("TSpellsSdbR3F", "spells.sdb", 3, "spells\\3\\", "Spells.sdb : S_Spells (LMP)", "LmpSpellsMenu3", "S_Spells", {598, 199, 561, 120, 194, 361}),
      lmp("TSpellsSdbR4F", "spells.sdb", 4, "spells\\4\\", "Spells.sdb : S_Armors (LMP)", "LmpSpellsMenu4", "S_Armors", {598, 201, 561, 120, 194, 361}),
      lmp("TSpellsSdbR5F", "spells.sdb", 5, "spells\\5\\", "Spells.sdb : S_Weapons (LMP)", "LmpSpellsMenu5", "S_Weapons", {598, 199, 561, 120, 194, 361}),
      lmp("TUnitsUdbR1F", "units.udb", 1, "units\\1\\", "Units.udb : Hit Locations (LMP)", "LmpUnitsMenu1", "HitLocations", {597, 431, 561, 350, 194, 361}),
      lmp("TUnitsUdbR2F", "units.udb", 2, "units\\2\\", "Units.udb : Race Models (LMP)", "LmpUnitsMenu2", "RaceModels", {598, 539, 561, 460, 194, 344}),
      lmp("TUnitsUdbR3F", "units.udb", 3, "units\\3\\", "Units.udb : Monsters Prototypes (LMP)", "LmpUnitsMenu3", "MonstersPrototypes", {598, 539, 561, 460, 194, 344}),
      lmp("TUnitsUdbR4F", "units.udb", 4, "units\\4\\", "Units.udb : NPCs (LMP)", "LmpUnitsMenu4", "NPCs", {598, 561, 561, 480, 194, 361}),
  };
}

}  // namespace

const std::vector<WindowEntry>& windowTable() {
  static const std::vector<WindowEntry> table = buildTable();
  return table;
}

const WindowEntry* findWindow(const std::string& className) {
  for (const auto& e : windowTable())
    if (e.className == className) return &e;
  return nullptr;
}

}  // namespace kessik
