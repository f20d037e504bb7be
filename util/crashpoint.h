// A test hook for the kill tests: the process ends at a named point of a long
// write as a kill or a power cut would end it there, so that the tests can
// check what an interruption at that moment leaves behind.
//
// When the environment variable KESSIK_CRASH_AT is "NAME:N", the N-th pass
// through crashPoint("NAME") ends the process at once with exit status
// kCrashExitStatus: no destructor runs, no file is closed tidily. Without the
// variable a pass costs one comparison.
//
// The points: "unpack-record" (a record file of the new tree written),
// "unpack-aside" (the old tree set aside, the new one not yet in place, on
// hosts that cannot exchange two folders), "tree-swapped" (a new tree, of a
// database or a section, in place, the old one still beside it),
// "pack-record" (a record copied into the new database file), "save-temp"
// (a temporary file written, not yet renamed over its target),
// "import-record" (a changed record file of a section save written),
// "section-link" (an unchanged file linked into the new section) and
// "section-synced" (the new section on the disk, not yet in place).
#pragma once

namespace kessik {

inline constexpr int kCrashExitStatus = 86;

void crashPoint(const char* name);

}  // namespace kessik
