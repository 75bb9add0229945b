// string_input_field over an arbitrary UTF-16 line and field number: the
// field is always a piece of the line, and asking never changes the line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/keyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzRuntime runtime;
  FuzzedDataProvider input(data, size);
  // Mostly small field numbers, where the fields are; now and then any.
  const auto n = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(-1, 8)
                                     : input.ConsumeIntegral<std::int32_t>();
  const std::u16string text = fuzz_units16(input.ConsumeRemainingBytesAsString());

  const RuntimeString line = fuzz_string16(text);
  const StringValue line_value(line);
  const StringValue field = string_input_field(line_value, n);
  FUZZ_CHECK(runtime.error() == 0);
  FUZZ_CHECK(line.view16() == text);
  FUZZ_CHECK(text.find(field.view16()) != std::u16string::npos);
  FUZZ_CHECK(field.empty() || n >= 1);
  if (!field.empty() && field.view16().front() == u' ') {
    // Only a quoted field keeps its leading blanks.
    FUZZ_CHECK(text.find(u'"') != std::u16string::npos);
  }
  return 0;
}
