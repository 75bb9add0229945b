// Run-time errors: recorded in the error word of the frame of the procedure
// that is running; the highest numbers end the process at once.
#include "runtime/errors.h"

#include "runtime/state.h"

namespace {

constexpr std::uint16_t kErrorByte = 0x00FF;

std::uint16_t low_byte(std::int32_t number) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(number) & kErrorByte);
}

// Replaces the error number and keeps the flag bits of the high byte.
void store_error(std::uint16_t number) {
  RuntimeFrame* frame = runtime_state().current_frame;
  if (frame != nullptr) {
    frame->error_word = static_cast<std::uint16_t>((frame->error_word & ~kErrorByte) | number);
  }
}

} // namespace

void runtime_raise_error(std::int32_t number) {
  std::uint16_t recorded = low_byte(number);
  if (recorded == 0) {
    recorded = kErrorZeroRecordedAs;
  }
  store_error(recorded);
  if (recorded >= kErrorFatalFirst) {
    // No message and no shutdown: what the runtime holds stays as it is.
    runtime_platform().exit_process(kFatalExitCode);
  }
}

void runtime_raise_error_checked(std::int32_t number) {
  runtime_raise_error(number >= 1 && number <= 255 ? number : kErrorIllegalCall);
}

std::int32_t runtime_error_number() {
  const RuntimeFrame* frame = runtime_state().current_frame;
  return frame == nullptr ? 0 : frame->error_word & kErrorByte;
}

std::int32_t runtime_take_error() {
  std::int32_t number = runtime_error_number();
  runtime_clear_error();
  return number;
}

void runtime_clear_error() {
  store_error(0);
}

void runtime_set_error(std::int32_t number) {
  store_error(low_byte(number));
}
