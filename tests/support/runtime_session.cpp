#include "tests/support/runtime_session.h"

#include <cstring>

#include "runtime/memory.h"
#include "runtime/number.h"

RuntimeSession::RuntimeSession(platform::MemoryConsole& console) : console_(console) {
  RuntimeState& s = runtime_state();
  s = RuntimeState{};
  s.platform = &console_;
  s.std_input_handle = platform::MemoryConsole::kStdInput;
  s.std_output_handle = platform::MemoryConsole::kStdOutput;
  s.std_error_handle = platform::MemoryConsole::kStdError;
  s.console_input_handle = platform::MemoryConsole::kConsoleInput;
  s.output_handle = platform::MemoryConsole::kStdOutput;
  s.foreground = 7;
  s.background = 0;
  s.active_page = 1;
  s.visible_page = 1;
  s.page_handles.fill(platform::kInvalidHandle);
  s.page_handles[0] = s.output_handle;
  console_.get_console_cursor_info(s.output_handle, s.cursor_info);
  s.tls_index = console_.tls_alloc();
  s.main_thread_record = runtime_thread_record();
  // Number conversion relies on the mode start-up sets; the Windows build's
  // default would compute with a 53-bit significand.
  runtime_load_fpu_control_word(kFpuControlWord);
  frame_.emplace();
}

RuntimeSession::~RuntimeSession() {
  frame_.reset();
  runtime_release_thread_record();
  console_.tls_free(runtime_state().tls_index);
  runtime_state() = RuntimeState{};
}

RuntimeString make_string16(std::u16string_view text) {
  return string_copy16(text);
}

RuntimeString make_string8(std::string_view text) {
  RuntimeString s = string_alloc8(static_cast<std::uint32_t>(text.size()));
  if (!s.empty()) {
    std::memcpy(s.mutable_data(), text.data(), text.size());
  }
  return s;
}
