#include "runtime/platform/default_platform.h"

#ifdef _WIN32
#include "runtime/platform/win32/win32_console.h"
#else
#include "runtime/platform/terminal/terminal_console.h"
#endif

namespace platform {

Platform& default_platform() {
#ifdef _WIN32
  return win32_platform();
#else
  return terminal_platform();
#endif
}

} // namespace platform
