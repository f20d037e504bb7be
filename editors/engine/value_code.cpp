#include "editors/engine/value_code.h"

namespace kessik {

std::string ValueCode(std::string_view text) { return std::string(text.substr(0, text.find(' '))); }

}  // namespace kessik
