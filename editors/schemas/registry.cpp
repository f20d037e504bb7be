#include "editors/schemas/registry.h"

#include <utility>

#include "editors/engine/schema.h"

namespace kessik {

namespace schemas {
#define KESSIK_SECTION(folder, getter) const Schema& getter();
#include "editors/schemas/sections.def"
#undef KESSIK_SECTION
}  // namespace schemas

const Schema* findSchema(const std::string& schemaFolder) {
  using Getter = const Schema& (*)();
  static const std::pair<const char*, Getter> known[] = {
#define KESSIK_SECTION(folder, getter) {folder, &schemas::getter},
#include "editors/schemas/sections.def"
#undef KESSIK_SECTION
  };
  for (const auto& [folder, get] : known)
    if (schemaFolder == folder) return &get();
  return nullptr;
}

}  // namespace kessik
