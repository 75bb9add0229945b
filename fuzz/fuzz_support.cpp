#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "runtime/memory.h"
#include "runtime/number.h"

FuzzRuntime::FuzzRuntime(platform::MemoryConsole::Config config) : console(std::move(config)) {
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
  runtime_load_fpu_control_word(kFpuControlWord);
  frame_.emplace();
}

FuzzRuntime::~FuzzRuntime() {
  frame_.reset();
  runtime_release_thread_record();
  console.tls_free(runtime_state().tls_index);
  runtime_state() = RuntimeState{};
}

RuntimeString fuzz_string16(std::u16string_view text) {
  RuntimeString s = string_alloc16(static_cast<std::uint32_t>(text.size()));
  if (!s.empty()) {
    std::memcpy(s.mutable_data(), text.data(), text.size() * sizeof(char16_t));
  }
  return s;
}

RuntimeString fuzz_string8(std::string_view text) {
  RuntimeString s = string_alloc8(static_cast<std::uint32_t>(text.size()));
  if (!s.empty()) {
    std::memcpy(s.mutable_data(), text.data(), text.size());
  }
  return s;
}

std::u16string fuzz_units16(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8U));
  }
  return units;
}

void fuzz_fail(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  std::abort();
}
