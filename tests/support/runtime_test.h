// Test support: the runtime set up over a memory console, as start-up leaves
// it, without running a program; and a way to run a whole program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "runtime/platform/memory/memory_console.h"
#include "runtime/program.h"
#include "runtime/state.h"
#include "runtime/string.h"
#include "tests/support/runtime_session.h"

// The runtime over a memory console of the test's own (see RuntimeSession).
class RuntimeTest : public ::testing::Test {
protected:
  RuntimeTest() : RuntimeTest(platform::MemoryConsole::Config{}) {}
  explicit RuntimeTest(platform::MemoryConsole::Config config)
      : console(std::move(config)), session_(console) {}

  RuntimeState& state() { return runtime_state(); }
  // The error number recorded in the test's frame.
  [[nodiscard]] int error() const { return session_.frame().error_word & 0xFF; }

  platform::MemoryConsole console;

private:
  RuntimeSession session_;
};

// Runs `program` from runtime_start to the end of the process (or until its
// input script runs out) and gives how it stopped.
platform::MemoryConsoleStop run_program(platform::MemoryConsole& console,
                                        const ProgramDefinition& program);

std::u16string text16(const StringValue& value);
std::string text8(const StringValue& value);
