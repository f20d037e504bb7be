// The schemas the program knows, by schema folder ("prints\\1\\").
#pragma once

#include <string>

namespace kessik {

struct Schema;

// The schema of a section, or nullptr when it is not built yet.
const Schema* findSchema(const std::string& schemaFolder);

}  // namespace kessik
