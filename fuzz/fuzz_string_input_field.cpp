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

  const RuntimeString line = make_string16(text);
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

  // Blanks before the first field change nothing.
  const RuntimeString padded = make_string16(u"  " + text);
  FUZZ_CHECK(string_input_field(StringValue(padded), n).view16() == field.view16());
  // A line without quotes or commas is one field: the line without its
  // outer blanks.
  if (n == 1 && text.find_first_of(u"\",") == std::u16string::npos) {
    const std::size_t first = text.find_first_not_of(u' ');
    const std::u16string trimmed =
        first == std::u16string::npos ? u""
                                      : text.substr(first, text.find_last_not_of(u' ') + 1 - first);
    FUZZ_CHECK(field.view16() == trimmed);
  }
  return 0;
}
