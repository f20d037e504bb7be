// Every section the program knows as one readable text: its windows (class,
// game, caption, menu item, sizes), its rows (name, place, codec, check,
// message, button) and its rules. The unit tests compare it with the golden
// file tests/golden/schemas.txt, so that a change to a schema or to the
// window table shows as a diff of that file.
#pragma once

#include <string>

namespace kessik::test {

// The dump, UTF-8, lines ending in LF.
std::string dumpSections();

}  // namespace kessik::test
