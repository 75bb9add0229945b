// The runtime's screen operations with arbitrary arguments on a small memory
// console (sometimes with a visible window smaller than the buffer): every
// out-of-range argument is absorbed, the cursor stays in the buffer, a
// locate moves each coordinate that is in range and keeps the other, and
// reading a cell gives what the cell holds, or 0 outside the buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/console_window.h"
#include "runtime/errors.h"
#include "runtime/screen.h"
#include "runtime/screen_cells.h"

namespace {

// Mostly near the buffer, now and then anything at all.
std::int32_t some_position(FuzzedDataProvider& input) {
  return input.ConsumeIntegralInRange(0, 7) == 0 ? input.ConsumeIntegral<std::int32_t>()
                                                 : input.ConsumeIntegralInRange(-2, 16);
}

void check_cursor_inside(const platform::MemoryConsole& console) {
  FUZZ_CHECK(console.cursor().x >= 0 && console.cursor().x < console.size().x);
  FUZZ_CHECK(console.cursor().y >= 0 && console.cursor().y < console.size().y);
}

void check_locate(const platform::MemoryConsole& console, std::int32_t row, std::int32_t column) {
  const platform::Coord before = console.cursor();
  screen_locate(row, column);
  const bool column_in = column >= 1 && column <= console.size().x;
  const bool row_in = row >= 1 && row <= console.size().y;
  FUZZ_CHECK(console.cursor().x == (column_in ? column - 1 : before.x));
  FUZZ_CHECK(console.cursor().y == (row_in ? row - 1 : before.y));
}

void check_read(const platform::MemoryConsole& console, std::int32_t row, std::int32_t column) {
  const std::int32_t character = screen_read_character(row, column);
  const bool inside =
      row >= 1 && row <= console.size().y && column >= 1 && column <= console.size().x;
  if (!inside) {
    FUZZ_CHECK(character == 0);
  } else {
    FUZZ_CHECK(character == console.cell(column - 1, row - 1).character);
  }
  static_cast<void>(screen_read_attribute(row, column));
}

void one_operation(FuzzRuntime& runtime, FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 16)) {
  case 0:
    check_locate(runtime.console, some_position(input), some_position(input));
    break;
  case 1: {
    const RuntimeString text = make_string16(
        fuzz_units16(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 64))));
    screen_print(StringValue(text));
    break;
  }
  case 2:
    screen_newline();
    break;
  case 3:
    screen_set_color(input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>(),
                     input.ConsumeIntegralInRange(-1, 200));
    break;
  case 4:
    screen_clear();
    break;
  case 5: {
    const std::u16string units =
        fuzz_units16(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 64)));
    screen_write_cells(units.data(), static_cast<std::int32_t>(units.size()));
    break;
  }
  case 6:
    screen_scroll_up();
    break;
  case 7:
    screen_spaces(input.ConsumeIntegralInRange(-5, 200));
    break;
  case 8:
    // Like the spaces above, a far column is that many spaces: bounded here.
    screen_tab_to_column(input.ConsumeIntegralInRange(-5, 200));
    break;
  case 9:
    screen_next_zone();
    break;
  case 10:
    check_read(runtime.console, some_position(input), some_position(input));
    break;
  case 11:
    screen_scroll_rect(some_position(input), some_position(input), some_position(input),
                       some_position(input), some_position(input),
                       static_cast<ScrollDirection>(input.ConsumeIntegralInRange(0, 3)));
    break;
  case 12:
    screen_set_window_origin(some_position(input), some_position(input));
    break;
  case 13:
    screen_set_cursor(input.ConsumeIntegral<std::int32_t>());
    break;
  case 16: {
    // New sizes clear the screen; sizes the console refuses raise error 5.
    const std::int32_t columns = input.ConsumeIntegralInRange(-1, 14);
    const std::int32_t rows = input.ConsumeIntegralInRange(-1, 10);
    if (input.ConsumeBool()) {
      screen_set_buffer_size(columns, rows);
    } else {
      screen_set_size(columns, rows);
    }
    break;
  }
  case 14:
    screen_home();
    FUZZ_CHECK(runtime.console.cursor().x == 0 && runtime.console.cursor().y == 0);
    break;
  default:
    screen_cursor_force_visible();
    screen_cursor_restore();
    break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  platform::MemoryConsole::Config config;
  const int columns = input.ConsumeIntegralInRange(1, 12);
  const int rows = input.ConsumeIntegralInRange(1, 8);
  config.columns = static_cast<std::int16_t>(columns);
  config.rows = static_cast<std::int16_t>(rows);
  if (input.ConsumeBool()) {
    const int width = input.ConsumeIntegralInRange(1, columns);
    const int height = input.ConsumeIntegralInRange(1, rows);
    const int left = input.ConsumeIntegralInRange(0, columns - width);
    const int top = input.ConsumeIntegralInRange(0, rows - height);
    config.window = platform::SmallRect{
        static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
        static_cast<std::int16_t>(left + width - 1), static_cast<std::int16_t>(top + height - 1)};
  }
  config.cursor =
      platform::Coord{static_cast<std::int16_t>(input.ConsumeIntegralInRange(0, columns - 1)),
                      static_cast<std::int16_t>(input.ConsumeIntegralInRange(0, rows - 1))};
  FuzzRuntime runtime(config);

  for (int step = 0; step < 48 && input.remaining_bytes() > 0; ++step) {
    one_operation(runtime, input);
    check_cursor_inside(runtime.console);
    FUZZ_CHECK(runtime.error() == 0 || runtime.error() == kErrorIllegalCall);
  }
  return 0;
}
