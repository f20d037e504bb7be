// The host's file API reports by errno here.
#include <cerrno>

#include "platform/errors.h"

namespace kessik::platform {

SystemError hostError(unsigned long code) { return errnoError(static_cast<int>(code)); }

SystemError lastHostError() { return errnoError(errno); }

}  // namespace kessik::platform
