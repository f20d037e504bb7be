#include "editors/engine/window_table.h"

namespace kessik {

const std::vector<WindowEntry>& windowTable() {
  static const std::vector<WindowEntry> table;
  return table;
}

const WindowEntry* findWindow(const std::string& className) {
  for (const auto& e : windowTable())
    if (e.className == className) return &e;
  return nullptr;
}

}  // namespace kessik
