// The durability test hook, the same on every host.
#include <atomic>

#include "platform/host.h"

namespace kessik::platform {
namespace {

std::atomic<DurabilityObserver*> gObserver{nullptr};

}  // namespace

DurabilityObserver* setDurabilityObserver(DurabilityObserver* observer) { return gObserver.exchange(observer); }

DurabilityObserver* durabilityObserver() { return gObserver.load(std::memory_order_relaxed); }

}  // namespace kessik::platform
