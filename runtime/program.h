// What a program contributes to the runtime: its main routine, its data
// section with the literal pool, its option word and its release tables.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/platform/platform.h"

// Called once by start-up; its result becomes the process exit code.
using ProgramMain = std::int32_t (*)(platform::Handle instance, platform::Handle previous_instance,
                                     const char16_t* command_tail, std::int32_t show_command);

// Option bit that would leave the control handler and the console window's
// system menu alone.
inline constexpr std::uint16_t kOptionNoConsoleGuard = 0x1000;

struct ProgramDefinition {
  // The data section as stored in the program: 16 zero bytes, the image
  // descriptor at 0x10, the data image from 0x20 (see data_image.h).
  std::span<const std::uint8_t> data_section;
  std::uint16_t options = 0;
  // Release tables: 32-bit entries, offset | kind, ended by 0.
  const std::uint32_t* global_release_table = nullptr;
  const std::uint32_t* thread_release_table = nullptr;
  ProgramMain main = nullptr;
};

// Each program defines this; the process entry point hands it to
// runtime_start.
const ProgramDefinition& program_definition();
