#include "tests/support/runtime_test.h"

#include "runtime/startup.h"

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

std::u16string text16(const StringValue& value) {
  return std::u16string(value.view16());
}
std::string text8(const StringValue& value) {
  return std::string(value.view8());
}
