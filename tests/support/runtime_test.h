// Test support: the runtime set up over a memory console, as start-up leaves
// it, without running a program; and a way to run a whole program.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "runtime/platform/memory/memory_console.h"
#include "runtime/program.h"
#include "runtime/state.h"
#include "runtime/string.h"

// Fresh runtime state over `console`: platform set, output to the console's
// standard output, colours 7 on 0, pages 1, cursor record from the console,
// a thread-local slot with the main thread's record, and one frame.
class RuntimeTest : public ::testing::Test {
protected:
  RuntimeTest() : RuntimeTest(platform::MemoryConsole::Config{}) {}
  explicit RuntimeTest(platform::MemoryConsole::Config config);
  ~RuntimeTest() override;

  RuntimeState& state() { return runtime_state(); }
  // The error number recorded in the test's frame.
  [[nodiscard]] int error() const { return frame_->error_word & 0xFF; }

  platform::MemoryConsole console;

private:
  std::optional<RuntimeFrame> frame_;
};

// Runs `program` from runtime_start to the end of the process (or until its
// input script runs out) and gives how it stopped.
platform::MemoryConsoleStop run_program(platform::MemoryConsole& console,
                                        const ProgramDefinition& program);

// A new UTF-16 or 8-bit string for a test to keep alive and hand to
// operations as a borrowed value (or move in as a temporary).
RuntimeString make_string16(std::u16string_view text);
RuntimeString make_string8(std::string_view text);
std::u16string text16(const StringValue& value);
std::string text8(const StringValue& value);
