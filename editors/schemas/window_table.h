// Every section editor window of the program, once: its class name (used as
// its objectName), its game, its database and section, its schema folder,
// its caption, the main-menu item that opens it and its sizes. The table is
// made of the windows of the registry's rows (editors/schemas/sections.def);
// its database, section and folder columns are those of the window's section.
#pragma once

#include <string>
#include <vector>

namespace kessik {

enum class Game { Singl, Lmp };

// A window's geometry: client area, table size and the two column widths.
struct WindowSize {
  int clientWidth = 0, clientHeight = 0;
  int tableWidth = 0, tableHeight = 0;
  int column1 = 0, column2 = 0;
};

struct WindowEntry {
  std::string className;     // "TSinglPrintsDbR1F"
  Game game;
  std::string database;      // of the section: "prints.db"
  int section;               // of the section, from 1
  std::string schemaFolder;  // the section's folder: names the source and template folders
  std::string caption;       // cp1251: "Prints.db : Blood Prints (SINGL)"
  std::string menuName;      // objectName of the menu item: "PrintsMenu1"
  std::string menuCaption;   // cp1251: "BloodPrints" (for levers: "levers.ldb")
  WindowSize size;
};

// The 47 windows, SINGL first, in menu order.
const std::vector<WindowEntry>& windowTable();
// The entry of a class name, or nullptr.
const WindowEntry* findWindow(const std::string& className);

}  // namespace kessik
