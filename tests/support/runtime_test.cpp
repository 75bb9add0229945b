#include "tests/support/runtime_test.h"

#include <cstring>

#include "runtime/memory.h"
#include "runtime/number.h"
#include "runtime/startup.h"

RuntimeTest::RuntimeTest(platform::MemoryConsole::Config config) : console(std::move(config)) {
  RuntimeState& s = runtime_state();
  s = RuntimeState{};
  s.platform = &console;
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
  console.get_console_cursor_info(s.output_handle, s.cursor_info);
  s.tls_index = console.tls_alloc();
  s.main_thread_record = runtime_thread_record();
  // Number conversion relies on the precision and rounding start-up sets.
  runtime_load_fpu_control_word(kFpuControlWord);
  frame_.emplace();
}

RuntimeTest::~RuntimeTest() {
  frame_.reset();
  runtime_release_thread_record();
  console.tls_free(runtime_state().tls_index);
  runtime_state() = RuntimeState{};
}

platform::MemoryConsoleStop run_program(platform::MemoryConsole& console,
                                        const ProgramDefinition& program) {
  platform::MemoryConsoleStop stop;
  try {
    runtime_start(console, program);
  } catch (const platform::MemoryConsoleStop& caught) {
    stop = caught;
  }
  // A process that ends leaves nothing behind; neither does a test.
  runtime_state() = RuntimeState{};
  return stop;
}

RuntimeString make_string16(std::u16string_view text) {
  return string_copy16(text);
}

RuntimeString make_string8(std::string_view text) {
  RuntimeString s = string_alloc8(static_cast<std::uint32_t>(text.size()));
  if (!text.empty()) {
    std::memcpy(s.mutable_data(), text.data(), text.size());
  }
  return s;
}

std::u16string text16(const StringValue& value) {
  return std::u16string(value.view16());
}
std::string text8(const StringValue& value) {
  return std::string(value.view8());
}
