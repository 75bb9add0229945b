#include "runtime/state.h"

#include <cstdlib>

RuntimeState& runtime_state() {
  static RuntimeState state;
  return state;
}

platform::Platform& runtime_platform() {
  platform::Platform* platform = runtime_state().platform;
  // Start-up chooses the platform before any other runtime operation runs; a
  // call before that is a fault in the caller, not a condition to recover from.
  if (platform == nullptr) {
    std::abort();
  }
  return *platform;
}

RuntimeFrame::RuntimeFrame() : caller_(runtime_state().current_frame) {
  runtime_state().current_frame = this;
}

RuntimeFrame::~RuntimeFrame() {
  runtime_state().current_frame = caller_;
}
