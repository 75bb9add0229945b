// Loading the x87 control word. The number reader computes in integer
// arithmetic and needs no FPU mode, but start-up still loads the word where
// there is an x87 unit (all exceptions masked, 64-bit precision, round to
// nearest), so that any extended-precision arithmetic runs in that mode. On
// other CPUs there is no such word, and loading it does nothing.
#include "runtime/number.h"

void runtime_load_fpu_control_word([[maybe_unused]] std::uint16_t control_word) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __asm__ volatile("fldcw %0" : : "m"(control_word));
#endif
}
