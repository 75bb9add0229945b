// The console of Windows itself.
#pragma once

#include "runtime/platform/platform.h"

namespace platform {

// Forwards every operation to the Windows API.
Platform& win32_platform();

} // namespace platform
