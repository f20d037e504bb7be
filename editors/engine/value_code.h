// The code of a value chooser entry such as "50     HUMAN": the part before
// its first blank, or the whole text when it has none.
#pragma once

#include <string>
#include <string_view>

namespace kessik {

std::string ValueCode(std::string_view text);

}  // namespace kessik
