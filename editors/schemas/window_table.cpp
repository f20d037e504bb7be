#include "editors/schemas/window_table.h"

namespace kessik {

namespace {

WindowEntry singl(const char* cls, const char* db, int section, const char* folder,
                  const char* caption, const char* menu, const char* menuCaption) {
  return {cls, Game::Singl, db, section, folder, caption, menu, menuCaption};
}

WindowEntry lmp(const char* cls, const char* db, int section, const char* folder,
                const char* caption, const char* menu, const char* menuCaption) {
  return {cls, Game::Lmp, db, section, folder, caption, menu, menuCaption};
}

std::vector<WindowEntry> buildTable() {
  return {
      // Single-player game, grouped by database as under "Сингл".
      singl("TSinglAcksDbR1F", "acks.db", 1, "acks\\1\\", "Acks.db : Answers (SINGL)", "AcksMenu1", "Answers"),
      singl("TSinglAcksDbR2F", "acks.db", 2, "acks\\2\\", "Acks.db : Cryes (SINGL)", "AcksMenu2", "Cryes"),
      singl("TSinglAcksDbR3F", "acks.db", 3, "acks\\3\\", "Acks.db : Others (SINGL)", "AcksMenu3", "Others"),
      singl("TSinglItemsIdbR1F", "items.idb", 1, "items\\1\\", "Items.idb : Materials (SINGL)", "ItemsMenu1", "Materials"),
      singl("TSinglItemsIdbR2F", "items.idb", 2, "items\\2\\", "Items.idb : Weapons (SINGL)", "ItemsMenu2", "Weapons"),
      singl("TSinglItemsIdbR3F", "items.idb", 3, "items\\3\\", "Items.idb : Armors (SINGL)", "ItemsMenu3", "Armors"),
      singl("TSinglItemsIdbR4F", "items.idb", 4, "items\\4\\", "Items.idb : Quick Items (SINGL)", "ItemsMenu4", "Quick Items"),
      singl("TSinglItemsIdbR5F", "items.idb", 5, "items\\5\\", "Items.idb : Quest Items (SINGL)", "ItemsMenu5", "Quest Items"),
      singl("TSinglItemsIdbR6F", "items.idb", 6, "items\\6\\", "Items.idb : Loot Items (SINGL)", "ItemsMenu6", "Loot Items"),
      singl("TLeversF", "levers.ldb", 1, "levers\\1\\", "Levers.ldb (SINGL)", "LeversMenu", "levers.ldb"),
      singl("TSinglPerksPdbR1F", "perks.pdb", 1, "perks\\1\\", "Perks.pdb : Skills (SINGL)", "PerksMenu1", "Skills"),
      singl("TSinglPerksPdbR2F", "perks.pdb", 2, "perks\\2\\", "Perks.pdb : Perks (SINGL)", "PerksMenu2", "Perks"),
      singl("TSinglPrintsDbR1F", "prints.db", 1, "prints\\1\\", "Prints.db : Blood Prints (SINGL)", "PrintsMenu1", "BloodPrints"),
      singl("TSinglPrintsDbR2F", "prints.db", 2, "prints\\2\\", "Prints.db : Foot Prints (SINGL)", "PrintsMenu2", "FootPrints"),
      singl("TSinglPrintsDbR3F", "prints.db", 3, "prints\\3\\", "Prints.db : Fire Prints (SINGL)", "PrintsMenu3", "FirePrints"),
      singl("TSinglQuestsQdbR1F", "quests.qdb", 1, "quests\\1\\", "Quests.qdb : Quests (SINGL)", "QuestsMenu1", "Quests"),
      singl("TSinglQuestsQdbR2F", "quests.qdb", 2, "quests\\2\\", "Quests.qdb : Briefings (SINGL)", "QuestsMenu2", "Briefings"),
      singl("TSinglSpellsSdbR1F", "spells.sdb", 1, "spells\\1\\", "Spells.sdb : Spell Prototypes (SINGL)", "SpellsMenu1", "SpellPrototypes"),
      singl("TSinglSpellsSdbR2F", "spells.sdb", 2, "spells\\2\\", "Spells.sdb : Spell Modifiers (SINGL)", "SpellsMenu2", "SpellModifiers"),
      singl("TSinglSpellsSdbR3F", "spells.sdb", 3, "spells\\3\\", "Spells.sdb : S_Spells (SINGL)", "SpellsMenu3", "S_Spells"),
      singl("TSinglSpellsSdbR4F", "spells.sdb", 4, "spells\\4\\", "Spells.sdb : S_Armors (SINGL)", "SpellsMenu4", "S_Armors"),
      singl("TSinglSpellsSdbR5F", "spells.sdb", 5, "spells\\5\\", "Spells.sdb : S_Weapons (SINGL)", "SpellsMenu5", "S_Weapons"),
      singl("TSinglUnitsUdbR1F", "units.udb", 1, "units\\1\\", "Units.udb : Hit Locations (SINGL)", "UnitsMenu1", "HitLocations"),
      singl("TSinglUnitsUdbR2F", "units.udb", 2, "units\\2\\", "Units.udb : Race Models (SINGL)", "UnitsMenu2", "RaceModels"),
      singl("TSinglUnitsUdbR3F", "units.udb", 3, "units\\3\\", "Units.udb : Monsters Prototypes (SINGL)", "UnitsMenu3", "MonstersPrototypes"),
      singl("TSinglUnitsUdbR4F", "units.udb", 4, "units\\4\\", "Units.udb : NPCs (SINGL)", "UnitsMenu4", "NPCs"),

      // Multiplayer game, as under "Мульти" (no acks.db, no quests.qdb).
      lmp("TItemsIdbR1F", "items.idb", 1, "items\\1\\", "Items.idb : Materials (LMP)", "LmpItemsMenu1", "Materials"),
      lmp("TItemsIdbR2F", "items.idb", 2, "items\\2\\", "Items.idb : Weapons (LMP)", "LmpItemsMenu2", "Weapons"),
      lmp("TItemsIdbR3F", "items.idb", 3, "items\\3\\", "Items.idb : Armors (LMP)", "LmpItemsMenu3", "Armors"),
      lmp("TItemsIdbR4F", "items.idb", 4, "items\\4\\", "Items.idb : Quick Items (LMP)", "LmpItemsMenu4", "Quick Items"),
      lmp("TItemsIdbR5F", "items.idb", 5, "items\\5\\", "Items.idb : Quest Items (LMP)", "LmpItemsMenu5", "Quest Items"),
      lmp("TItemsIdbR6F", "items.idb", 6, "items\\6\\", "Items.idb : Loot Items (LMP)", "LmpItemsMenu6", "Loot Items"),
      lmp("TLmpLeversF", "levers.ldb", 1, "levers\\1\\", "Levers.ldb (LMP)", "LmpLeversMenu", "levers.ldb"),
      lmp("TPerksPdbR1F", "perks.pdb", 1, "perks\\1\\", "Perks.pdb : Skills (LMP)", "LmpPerksMenu1", "Skills"),
      lmp("TPerksPdbR2F", "perks.pdb", 2, "perks\\2\\", "Perks.pdb : Perks (LMP)", "LmpPerksMenu2", "Perks"),
      lmp("TPrintsDbR1F", "prints.db", 1, "prints\\1\\", "Prints.db : Blood Prints (LMP)", "Bas_Mult_Prints_Razd1Menu", "BloodPrints"),
      lmp("TPrintsDbR2F", "prints.db", 2, "prints\\2\\", "Prints.db : Foot Prints (LMP)", "Bas_Mult_Prints_Razd2Menu", "FootPrints"),
      lmp("TPrintsDbR3F", "prints.db", 3, "prints\\3\\", "Prints.db : Fire Prints (LMP)", "Bas_Mult_Prints_Razd3Menu", "FirePrints"),
      lmp("TSpellsSdbR1F", "spells.sdb", 1, "spells\\1\\", "Spells.sdb : Spell Prototypes (LMP)", "LmpSpellsMenu1", "SpellPrototypes"),
      lmp("TSpellsSdbR2F", "spells.sdb", 2, "spells\\2\\", "Spells.sdb : Spell Modifiers (LMP)", "LmpSpellsMenu2", "SpellModifiers"),
      lmp("TSpellsSdbR3F", "spells.sdb", 3, "spells\\3\\", "Spells.sdb : S_Spells (LMP)", "LmpSpellsMenu3", "S_Spells"),
      lmp("TSpellsSdbR4F", "spells.sdb", 4, "spells\\4\\", "Spells.sdb : S_Armors (LMP)", "LmpSpellsMenu4", "S_Armors"),
      lmp("TSpellsSdbR5F", "spells.sdb", 5, "spells\\5\\", "Spells.sdb : S_Weapons (LMP)", "LmpSpellsMenu5", "S_Weapons"),
      lmp("TUnitsUdbR1F", "units.udb", 1, "units\\1\\", "Units.udb : Hit Locations (LMP)", "LmpUnitsMenu1", "HitLocations"),
      lmp("TUnitsUdbR2F", "units.udb", 2, "units\\2\\", "Units.udb : Race Models (LMP)", "LmpUnitsMenu2", "RaceModels"),
      lmp("TUnitsUdbR3F", "units.udb", 3, "units\\3\\", "Units.udb : Monsters Prototypes (LMP)", "LmpUnitsMenu3", "MonstersPrototypes"),
      lmp("TUnitsUdbR4F", "units.udb", 4, "units\\4\\", "Units.udb : NPCs (LMP)", "LmpUnitsMenu4", "NPCs"),
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
