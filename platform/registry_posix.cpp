// Hosts without a registry: the game and our old record are never found.
#include "platform/registry.h"

namespace kessik::platform {

std::unique_ptr<Registry> openHostRegistry() { return std::make_unique<MemoryRegistry>(); }

}  // namespace kessik::platform
