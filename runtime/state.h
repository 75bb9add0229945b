// The runtime's single global record, the per-procedure frame and the
// per-thread record.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"

// One per thread, zero-filled from the global heap on the thread's first
// need, kept in the thread-local slot.
struct ThreadRecord {
  // Code page of the 8-bit/UTF-16 conversions; 0 is the system ANSI code page.
  std::uint32_t code_page = 0;
  // Slots of facilities neither program uses; releasing the record closes
  // whatever they hold.
  platform::Handle file_handle = platform::kNullHandle;
  platform::Handle find_handle = platform::kNullHandle;
};

// The context of one procedure of program code while it runs. Constructing a
// frame makes it the one that runtime operations report to; destroying it
// gives that role back to the caller's frame.
class RuntimeFrame {
public:
  RuntimeFrame();
  RuntimeFrame(const RuntimeFrame&) = delete;
  RuntimeFrame& operator=(const RuntimeFrame&) = delete;
  ~RuntimeFrame();

  // Low byte: the number of the last run-time error, 0 when none; the high
  // byte holds flag bits that nothing here reads.
  std::uint16_t error_word = 0;
  std::int32_t result_value = 0;

private:
  RuntimeFrame* caller_;
};

// The image descriptor with its two offsets turned into pointers.
struct ImageDescriptor {
  std::uint32_t zero_fill_length = 0;
  std::uint8_t* zero_fill = nullptr;
  std::uint32_t image_length = 0;
  std::uint8_t* image = nullptr;
};

struct ReleaseTables {
  const std::uint32_t* globals = nullptr;
  const std::uint32_t* thread_locals = nullptr;
};

inline constexpr std::uint32_t kVersionInfoSize = 148;
inline constexpr std::size_t kPageCount = 8;

struct RuntimeState {
  // Start-up and shutdown.
  platform::Handle console_window = platform::kNullHandle;
  std::uint32_t tls_index = 0;
  ThreadRecord* main_thread_record = nullptr;
  const char16_t* command_tail = nullptr;
  std::int32_t show_command = 0;
  platform::Handle instance = platform::kNullHandle;
  ReleaseTables release_tables;
  platform::OsVersionInfo version_info;
  std::uint32_t stdin_is_console = 0;
  std::uint32_t stdout_is_console = 0;
  platform::Handle console_input_handle = platform::kNullHandle;
  platform::Handle std_error_handle = platform::kNullHandle;
  platform::Handle std_input_handle = platform::kNullHandle;
  platform::Handle std_output_handle = platform::kNullHandle;
  ImageDescriptor image_descriptor;
  std::uint16_t options = 0;
  // Handle slots for a file and a directory search; closed at shutdown when
  // set. Neither program sets them.
  platform::Handle open_file_handle = platform::kNullHandle;
  platform::Handle find_handle = platform::kNullHandle;

  // Screen output.
  std::uint8_t pending_scroll = 0;
  std::uint8_t active_page = 0;
  std::uint8_t visible_page = 0;
  std::int32_t foreground = 0;
  std::int32_t background = 0;
  std::array<platform::Handle, kPageCount> page_handles{};
  platform::Handle output_handle = platform::kNullHandle;
  platform::CursorInfo cursor_info;
  std::uint32_t cursor_restore_pending = 0;

  // The frame of the procedure that is running.
  RuntimeFrame* current_frame = nullptr;
  // The program's data section, with the data image at its run-time place.
  std::vector<std::uint8_t> data_section;
  // The platform chosen at start-up.
  platform::Platform* platform = nullptr;
};

RuntimeState& runtime_state();
platform::Platform& runtime_platform();
