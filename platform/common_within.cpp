// Whether one host path lies inside another, the same on every host.
#include <system_error>

#include "platform/host.h"

namespace fs = std::filesystem;

namespace kessik::platform {

bool isWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  fs::path a = fs::weakly_canonical(inner, ec);
  if (ec) return false;
  fs::path b = fs::weakly_canonical(outer, ec);
  if (ec) return false;
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
    if (bi->empty()) break;  // a trailing separator ends it
    if (ai == a.end() || *ai != *bi) return false;
  }
  return true;
}

}  // namespace kessik::platform
