#include "editors/schemas/registry.h"

#include <vector>

#include "editors/engine/schema.h"

namespace kessik {

namespace schemas {
#define KESSIK_SECTION(folder, def) extern const SchemaDef def;
#include "editors/schemas/sections.def"
#undef KESSIK_SECTION
}  // namespace schemas

const Schema* findSchema(const std::string& schemaFolder) {
  static const std::vector<Schema> known = [] {
    std::vector<Schema> out;
#define KESSIK_SECTION(folder, def) out.push_back(buildSchema(schemas::def, folder));
#include "editors/schemas/sections.def"
#undef KESSIK_SECTION
    return out;
  }();
  for (const Schema& s : known)
    if (s.folder == schemaFolder) return &s;
  return nullptr;
}

}  // namespace kessik
