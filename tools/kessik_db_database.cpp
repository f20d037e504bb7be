// The database commands of kessik-db: unpack and pack.
#include "core/database.h"
#include "kessik_db.h"
#include "util/paths.h"

namespace kessik::tool {

int commandUnpack(const std::vector<std::string>& args) {
  auto file = windowsPathOf(args[0]);
  if (!file) return ExitFailed;
  auto root = windowsPathOf(args[1]);
  if (!root) return ExitFailed;
  return unpackDatabase(*file, withTrailingBackslash(*root), terminalProgress()) ? ExitOk : ExitFailed;
}

int commandPack(const std::vector<std::string>& args) {
  auto folder = windowsPathOf(args[0]);
  if (!folder) return ExitFailed;
  auto file = windowsPathOf(args[1]);
  if (!file) return ExitFailed;
  return packDatabase(withTrailingBackslash(*folder), *file, terminalProgress()) ? ExitOk : ExitFailed;
}

}  // namespace kessik::tool
