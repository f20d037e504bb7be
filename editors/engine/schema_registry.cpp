#include "editors/engine/schema_registry.h"

#include <utility>

#include "editors/engine/schema.h"

namespace kessik {

// Defined in editors/schemas/, one file per database.
namespace schemas {
const Schema& bloodPrints();
const Schema& footPrints();
const Schema& firePrints();
}  // namespace schemas

const Schema* findSchema(const std::string& schemaFolder) {
  using Getter = const Schema& (*)();
  static const std::pair<const char*, Getter> known[] = {
      {"prints\\1\\", &schemas::bloodPrints},
      {"prints\\2\\", &schemas::footPrints},
      {"prints\\3\\", &schemas::firePrints},
  };
  for (const auto& [folder, get] : known)
    if (schemaFolder == folder) return &get();
  return nullptr;
}

}  // namespace kessik
