#include "util/crashpoint.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace kessik {
namespace {

struct CrashPlan {
  std::string name;  // empty: no crash planned
  long remaining = 0;
};

CrashPlan readPlan() {
  CrashPlan plan;
  const char* env = std::getenv("KESSIK_CRASH_AT");
  if (!env) return plan;
  const char* colon = std::strrchr(env, ':');
  if (!colon || colon == env) return plan;
  char* end = nullptr;
  long n = std::strtol(colon + 1, &end, 10);
  if (n < 1 || !end || *end != '\0') return plan;
  plan.name.assign(env, colon);
  plan.remaining = n;
  return plan;
}

}  // namespace

void crashPoint(const char* name) {
  static CrashPlan plan = readPlan();
  if (plan.name.empty() || plan.name != name) return;
  if (--plan.remaining == 0) std::_Exit(kCrashExitStatus);
}

}  // namespace kessik
