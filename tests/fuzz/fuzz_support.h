// Shared by the fuzz targets.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host.h"
#include "util/notify.h"

// Stops the run with the failed condition.
#define require(ok)                                                      \
  do {                                                                   \
    if (!(ok)) {                                                         \
      std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);   \
      std::abort();                                                      \
    }                                                                    \
  } while (0)

namespace kessik::fuzz {

// Answers every message as nobody would: the default button.
class Silent : public Notifier {
 public:
  Answer show(const Message& m) override { return defaultAnswer(m.buttons); }
};

// A fresh folder (in memory where the host has /dev/shm: the targets write
// many files) mapped to drive C:, removed when the run ends; messages are
// silenced.
inline std::filesystem::path mapScratchDrive(const char* name) {
  std::error_code ec;
  std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                     : std::filesystem::temp_directory_path();
  std::string tmpl = (base / (std::string(name) + "-XXXXXX")).string();
  if (!::mkdtemp(tmpl.data())) std::abort();
  static std::filesystem::path root;
  root = tmpl;
  ::setenv("KESSIK_DRIVES", ("C=" + root.string()).c_str(), 1);
  platform::reloadDriveMap();
  static Silent silent;
  setNotifier(&silent);
  std::atexit([] {
    std::error_code e;
    std::filesystem::remove_all(root, e);
  });
  return root;
}

}  // namespace kessik::fuzz
