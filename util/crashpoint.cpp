#include "util/crashpoint.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kessik {
namespace {

struct CrashPlan {
  std::string name;  // empty: no crash planned
  // Counted down by every thread that passes the point: the N-th pass in
  // the whole process ends it, whichever thread makes it.
  std::atomic<long> remaining{0};
};

void readPlan(CrashPlan& plan) {
  const char* env = std::getenv("KESSIK_CRASH_AT");
  if (!env) return;
  const char* colon = std::strrchr(env, ':');
  if (!colon || colon == env) return;
  char* end = nullptr;
  long n = std::strtol(colon + 1, &end, 10);
  if (n < 1 || !end || *end != '\0') return;
  plan.name.assign(env, colon);
  plan.remaining = n;
}

CrashPlan& plan() {
  static CrashPlan p;
  static const bool read = (readPlan(p), true);
  (void)read;
  return p;
}

}  // namespace

void crashPoint(const char* name) {
  CrashPlan& p = plan();
  if (p.name.empty() || p.name != name) return;
  if (--p.remaining == 0) std::_Exit(kCrashExitStatus);
}

}  // namespace kessik
