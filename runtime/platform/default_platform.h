// The platform object a real program runs on, chosen once at start-up.
#pragma once

#include "runtime/platform/platform.h"

namespace platform {

// Windows: the console API itself; elsewhere: the terminal console.
Platform& default_platform();

} // namespace platform
