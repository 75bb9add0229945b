// The console on a POSIX terminal.
#pragma once

#include "runtime/platform/platform.h"

namespace platform {

// The process's terminal console, created on first use.
Platform& terminal_platform();

} // namespace platform
