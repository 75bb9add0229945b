// The process: start-up, the start stub, shutdown, the console guard and the
// console window lookup.
#include "runtime/startup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/data_image.h"
#include "runtime/errors.h"
#include "runtime/memory.h"
#include "runtime/number.h"
#include "runtime/state.h"

namespace {

using platform::Handle;

constexpr const char* kRefusalText = "Win98 No Support";
constexpr std::uint32_t kRefusalStyle =
    platform::kMbOk | platform::kMbTaskModal | platform::kMbSetForeground;
constexpr const char* kConsoleInputName = "CONIN$";
constexpr std::uint32_t kOutputMode =
    platform::kEnableProcessedOutput | platform::kEnableWrapAtEolOutput;
// No line input, no echo, no processed input: Ctrl+C arrives as a key.
constexpr std::uint32_t kInputMode = 0;
constexpr std::uint32_t kConsoleFlag = 0xFFFFFFFFU;
constexpr platform::CursorInfo kFallbackCursor{10, 1};
constexpr std::uint32_t kClosePosition = 6;
constexpr const char16_t* kCloseText = u"Close";
// Appended to the title so that the lookup finds our window and no other.
constexpr std::u16string_view kTitleMark = u"       ";
constexpr std::uint32_t kLongestTitleUnits = 0x10000;
constexpr std::int32_t kInitialForeground = 7;
constexpr std::uint8_t kInitialPage = 1;

// Ends the process. A platform's exit never comes back; should one do so,
// the process still ends here.
[[noreturn]] void end_process(platform::Platform& platform, std::uint32_t exit_code) {
  platform.exit_process(exit_code);
  std::abort();
}

bool guard_wanted() {
  return (runtime_state().options & kOptionNoConsoleGuard) == 0;
}

// Puts the program's data image at its run-time place: the stored section is
// copied into a data section large enough for the image at its run-time
// offset and for the global-variable area, and the image is moved there.
void lay_out_data_section(std::span<const std::uint8_t> stored) {
  RuntimeState& state = runtime_state();
  ImageDescriptorFields fields;
  if (stored.size() >= kStoredImageOffset) {
    fields = read_image_descriptor(stored.data());
  }
  const std::size_t image_end = std::size_t{fields.image_offset} + fields.image_length;
  const std::size_t zero_fill_end = std::size_t{fields.zero_fill_offset} + fields.zero_fill_length;
  const std::size_t stored_image_end = std::size_t{kStoredImageOffset} + fields.image_length;
  state.data_section.assign(std::max({stored.size(), image_end, zero_fill_end, stored_image_end}),
                            0);
  std::copy(stored.begin(), stored.end(), state.data_section.begin());
  std::uint8_t* section = state.data_section.data();
  runtime_move_image(section, fields);
  state.image_descriptor =
      ImageDescriptor{fields.zero_fill_length, section + fields.zero_fill_offset,
                      fields.image_length, section + fields.image_offset};
}

[[noreturn]] void refuse_platform(platform::Platform& platform) {
  platform.message_box(platform::kNullHandle, kRefusalText, nullptr, kRefusalStyle);
  end_process(platform, kFatalExitCode);
}

bool cursor_usable(platform::Platform& platform, Handle console, platform::CursorInfo& info) {
  platform::CursorInfo read;
  if (!platform.get_console_cursor_info(console, read) || read.size == 0) {
    return false;
  }
  info = read;
  return true;
}

// The cursor record of the output handle; a console that reports none gets
// a visible cursor of size 10.
void read_cursor_info(platform::Platform& platform) {
  RuntimeState& state = runtime_state();
  if (cursor_usable(platform, state.output_handle, state.cursor_info) ||
      cursor_usable(platform, state.std_output_handle, state.cursor_info)) {
    return;
  }
  state.cursor_info = kFallbackCursor;
  platform.set_console_cursor_info(state.output_handle, state.cursor_info);
}

void prepare_console(platform::Platform& platform) {
  RuntimeState& state = runtime_state();
  state.std_error_handle = platform.get_std_handle(platform::StdHandle::error);
  state.output_handle = state.std_error_handle;
  state.std_input_handle = platform.get_std_handle(platform::StdHandle::input);
  state.std_output_handle = platform.get_std_handle(platform::StdHandle::output);

  // The console input device, so keys arrive even when standard input is
  // redirected.
  state.console_input_handle =
      platform.create_file(kConsoleInputName, platform::kGenericRead, platform::kFileShareRead,
                           platform::kOpenExisting, 0);

  std::uint32_t mode = 0;
  if (platform.get_console_mode(state.std_output_handle, mode)) {
    state.output_handle = state.std_output_handle;
    state.stdout_is_console = kConsoleFlag;
  }
  platform.set_console_mode(state.output_handle, kOutputMode);
  if (platform.get_console_mode(state.std_input_handle, mode)) {
    state.stdin_is_console = kConsoleFlag;
  }
  platform.set_console_mode(state.std_input_handle, kInputMode);

  if (guard_wanted()) {
    runtime_console_guard(true);
  }
  read_cursor_info(platform);
}

void record_startup_info(platform::Platform& platform) {
  RuntimeState& state = runtime_state();
  platform::StartupInfo info;
  platform.get_startup_info(info);
  if ((info.flags & platform::kStartfUseStdHandles) != 0) {
    state.std_input_handle = info.std_input;
    state.std_output_handle = info.std_output;
    state.std_error_handle = info.std_error;
  }
  state.show_command = (info.flags & platform::kStartfUseShowWindow) != 0
                           ? static_cast<std::int32_t>(info.show_window)
                           : platform::kSwShowDefault;
}

// The command line after the program name. Only U+0020 counts as a space:
// any other unit up to U+0020 (a tab, say) ends an unquoted name and is the
// start of the tail.
const char16_t* skip_program_name(const char16_t* line) {
  if (line == nullptr) {
    return u"";
  }
  const char16_t* at = line;
  if (*at == u'"') {
    ++at;
    while (*at != u'\0' && *at != u'"') {
      ++at;
    }
    if (*at == u'\0') {
      return at;
    }
    ++at;
  } else {
    while (*at > u' ') {
      ++at;
    }
  }
  while (*at == u' ') {
    ++at;
  }
  return at;
}

void create_main_thread_record(platform::Platform& platform) {
  RuntimeState& state = runtime_state();
  state.tls_index = platform.tls_alloc();
  if (state.tls_index == platform::kTlsOutOfIndexes) {
    end_process(platform, kFatalExitCode);
  }
  state.main_thread_record = runtime_thread_record();
  if (state.main_thread_record == nullptr) {
    end_process(platform, kFatalExitCode);
  }
}

// The start stub: program initialisation, the start frame, the release
// tables, and the program's main routine.
std::int32_t run_start_stub(const ProgramDefinition& program) {
  runtime_init_program();
  RuntimeFrame start_frame;
  RuntimeState& state = runtime_state();
  state.release_tables = ReleaseTables{program.global_release_table, program.thread_release_table};
  if (program.main == nullptr) {
    return 0;
  }
  return program.main(state.instance, platform::kNullHandle, state.command_tail,
                      state.show_command);
}

void close_process_handles(platform::Platform& platform) {
  RuntimeState& state = runtime_state();
  if (state.console_input_handle != platform::kNullHandle) {
    platform.close_handle(state.console_input_handle);
    state.console_input_handle = platform::kNullHandle;
  }
  if (state.open_file_handle != platform::kNullHandle) {
    platform.close_handle(state.open_file_handle);
    state.open_file_handle = platform::kNullHandle;
  }
  if (state.find_handle != platform::kNullHandle) {
    platform.find_close(state.find_handle);
    state.find_handle = platform::kNullHandle;
  }
}

// The whole console title. Titles longer than the first buffer are read
// again with a larger one: the title is set back from this text, and a
// truncated copy would cut the user's title for good.
std::u16string read_console_title(platform::Platform& platform) {
  std::vector<char16_t> buffer(kTitleBufferUnits);
  for (;;) {
    const auto size = static_cast<std::uint32_t>(buffer.size());
    const std::uint32_t read = platform.get_console_title(buffer.data(), size);
    if (read < size - 1 || size >= kLongestTitleUnits) {
      return {buffer.data(), std::min<std::size_t>(read, size - 1)};
    }
    buffer.assign(std::size_t{size} * 2, u'\0');
  }
}

} // namespace

void runtime_start(platform::Platform& platform, const ProgramDefinition& program) {
  // A new process: every field of the state starts at zero.
  RuntimeState& state = runtime_state();
  state = RuntimeState{};
  state.platform = &platform;
  state.options = program.options;

  lay_out_data_section(program.data_section);
  state.version_info.size = kVersionInfoSize;
  if (!platform.get_version_ex(state.version_info) ||
      state.version_info.platform_id != platform::kPlatformWin32Nt) {
    refuse_platform(platform);
  }

  prepare_console(platform);
  record_startup_info(platform);
  state.command_tail = skip_program_name(platform.get_command_line());
  state.instance = platform.get_module_handle();
  create_main_thread_record(platform);
  platform.co_initialize(); // its result changes nothing

  runtime_shutdown(run_start_stub(program));
}

void runtime_shutdown(std::int32_t exit_code) {
  RuntimeState& state = runtime_state();
  platform::Platform& platform = runtime_platform();
  close_process_handles(platform);
  runtime_walk_release_table(state.release_tables.globals, state.data_section.data());
  runtime_release_thread_record();
  platform.tls_free(state.tls_index);
  platform.co_uninitialize();
  if (guard_wanted()) {
    runtime_console_guard(false);
  }
  end_process(platform, static_cast<std::uint32_t>(exit_code));
}

void runtime_init_program() {
  RuntimeState& state = runtime_state();
  const ImageDescriptor& image = state.image_descriptor;
  if (image.zero_fill != nullptr && image.zero_fill_length != 0) {
    std::memset(image.zero_fill, 0, image.zero_fill_length);
  }
  state.pending_scroll = 0;
  state.active_page = kInitialPage;
  state.visible_page = kInitialPage;
  state.foreground = kInitialForeground;
  state.background = 0;
  state.page_handles.fill(platform::kInvalidHandle);
  state.page_handles[0] = state.output_handle;
  state.cursor_restore_pending = 0;
  // Looked up again on the next need.
  state.console_window = platform::kNullHandle;
  runtime_load_fpu_control_word(kFpuControlWord);
}

Handle runtime_console_window() {
  RuntimeState& state = runtime_state();
  if (state.console_window != platform::kNullHandle) {
    return state.console_window;
  }
  platform::Platform& platform = runtime_platform();
  const std::u16string title = read_console_title(platform);
  // A title no other window has, for as long as the lookup takes.
  std::u16string marked = title;
  marked += kTitleMark;
  if (!platform.set_console_title(marked.c_str())) {
    // A console whose title cannot be set has no window to find by it;
    // searching would only wait, or find another window that happens to
    // carry that title.
    return platform::kNullHandle;
  }
  platform.sleep(kTitleDancePauseMs);
  Handle window = platform.find_window(marked.c_str());
  platform.set_console_title(title.c_str());
  // A terminal that shows the console's title in its own caption (Windows
  // Terminal) lets the title find the terminal's window, which belongs to
  // another process: only the console's own window is ours to change.
  if (window != platform::kNullHandle && window != platform.get_console_window()) {
    window = platform::kNullHandle;
  }
  state.console_window = window;
  return window;
}

void runtime_console_guard(bool apply) {
  platform::Platform& platform = runtime_platform();
  const Handle window = runtime_console_window();
  const Handle menu = platform.get_system_menu(window, false);
  if (apply) {
    platform.set_console_ctrl_handler(runtime_ctrl_handler, true);
    // Removing the Close command also disables the window's close button.
    platform.delete_menu(menu, platform::kScClose, platform::kMfByCommand);
  } else {
    platform.set_console_ctrl_handler(runtime_ctrl_handler, false);
    platform.insert_menu(menu, kClosePosition, platform::kMfByPosition | platform::kMfString,
                         platform::kScClose, kCloseText);
  }
  platform.draw_menu_bar(window);
}

std::int32_t runtime_ctrl_handler(std::uint32_t event) {
  switch (event) {
  case platform::kCtrlCEvent:
  case platform::kCtrlBreakEvent:
  case platform::kCtrlCloseEvent:
    return 1;
  default:
    return 0;
  }
}
