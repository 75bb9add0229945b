#include "runtime/state.h"

RuntimeState& runtime_state() {
  static RuntimeState state;
  return state;
}

platform::Platform& runtime_platform() {
  return *runtime_state().platform;
}

RuntimeFrame::RuntimeFrame() : caller_(runtime_state().current_frame) {
  runtime_state().current_frame = this;
}

RuntimeFrame::~RuntimeFrame() {
  runtime_state().current_frame = caller_;
}
