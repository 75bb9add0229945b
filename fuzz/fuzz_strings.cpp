// The string operations on a few variables, with the string allocator made
// to fail after an arbitrary number of blocks: every result is right or, when
// a block could not be had, empty with run-time error 7 where the operation
// raises it; comparisons order as unsigned units; and when the variables
// are gone no string block is left.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/errors.h"

namespace {

constexpr std::size_t kVariables = 4;

int sign(int value) {
  return (value > 0) - (value < 0);
}

struct Strings {
  FuzzRuntime& runtime;
  std::array<RuntimeString, kVariables> variables;

  RuntimeString& pick(FuzzedDataProvider& input) {
    return variables[input.ConsumeIntegralInRange<std::size_t>(0, kVariables - 1)];
  }

  // A borrowed variable, or a new temporary holding arbitrary units.
  StringValue operand(FuzzedDataProvider& input, std::u16string& text) {
    if (input.ConsumeBool()) {
      const RuntimeString& variable = pick(input);
      text = std::u16string(variable.view16());
      return StringValue(variable);
    }
    text =
        fuzz_units16(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 16)));
    RuntimeString temporary = string_copy16(text);
    if (temporary.empty()) {
      text.clear();
    }
    return StringValue(std::move(temporary));
  }

  void concat(FuzzedDataProvider& input) {
    std::u16string left;
    std::u16string right;
    StringValue a = operand(input, left);
    StringValue b = operand(input, right);
    if (left.size() + right.size() > 4096) {
      return; // joining a variable to itself doubles it at every step
    }
    runtime.clear_error();
    const StringValue result = string_concat(std::move(a), std::move(b));
    if (result.view16() != left + right) {
      FUZZ_CHECK(result.empty() && runtime.error() == kErrorOutOfMemory);
    }
    string_assign(pick(input), StringValue::borrowed(result.handle()));
  }

  void repeat(FuzzedDataProvider& input) {
    std::u16string text;
    StringValue value = operand(input, text);
    const std::int32_t count = input.ConsumeIntegralInRange(-2, 300);
    runtime.clear_error();
    StringValue result = string_repeat(count, std::move(value));
    const std::u16string expected(static_cast<std::size_t>(std::max(count, 0)),
                                  text.empty() ? u'\0' : text.front());
    if (count < 0) {
      FUZZ_CHECK(result.empty() && runtime.error() == kErrorOutOfMemory);
    } else if (result.view16() != expected) {
      FUZZ_CHECK(result.empty() && runtime.error() == kErrorOutOfMemory);
    }
    RuntimeString& variable = pick(input);
    runtime.clear_error();
    const bool had_block = !result.empty();
    string_assign(variable, std::move(result));
    FUZZ_CHECK(!had_block || variable.view16() == expected);
  }

  void assign_copy(FuzzedDataProvider& input) {
    const RuntimeString& source = pick(input);
    RuntimeString& target = pick(input);
    if (&source == &target) {
      return;
    }
    const std::u16string expected(source.view16());
    runtime.clear_error();
    string_assign(target, StringValue(source));
    if (target.view16() != expected) {
      FUZZ_CHECK(target.empty() && runtime.error() == kErrorOutOfMemory);
    }
  }

  void compare(FuzzedDataProvider& input) {
    std::u16string left;
    std::u16string right;
    StringValue a = operand(input, left);
    StringValue b = operand(input, right);
    FUZZ_CHECK(sign(string_compare(std::move(a), std::move(b))) == sign(left.compare(right)));
  }

  void round_trip(FuzzedDataProvider& input) {
    std::u16string text;
    StringValue value = operand(input, text);
    const StringValue narrow = string_to_ansi(std::move(value), 65001);
    const StringValue wide = string_to_wide(StringValue::borrowed(narrow.handle()), 65001);
    // A failed conversion gives the empty string and no error.
    FUZZ_CHECK(runtime.error() == 0 || runtime.error() == kErrorOutOfMemory);
    static_cast<void>(wide.view16());
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  FuzzRuntime runtime;
  runtime.console.failures().string_allocs_left =
      input.ConsumeBool() ? -1 : input.ConsumeIntegralInRange(0, 40);
  {
    Strings strings{runtime, {}};
    run_fuzz_steps(
        input, 64, [&] { strings.concat(input); }, [&] { strings.repeat(input); },
        [&] { strings.assign_copy(input); }, [&] { strings.compare(input); },
        [&] { strings.round_trip(input); });
  }
  // Every block went back with the variables and temporaries that held it.
  FUZZ_CHECK(runtime.console.live_strings() == 0);
  return 0;
}
