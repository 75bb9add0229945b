// Loading the x87 control word. Number conversion computes in the x87
// extended format, so this runtime builds only for x86 targets.
#include "runtime/number.h"

#if !(defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)))
#error "runtime_load_fpu_control_word needs an x86 target and a GCC-compatible compiler"
#endif

void runtime_load_fpu_control_word(std::uint16_t control_word) {
  __asm__ volatile("fldcw %0" : : "m"(control_word));
}
