// What the programs do with the texts of their literal pools: take one as it
// stands in the data image, widen it for printing, print a line.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "runtime/data_image.h"
#include "runtime/screen.h"
#include "runtime/string.h"

// Literal `id` of `pool` as it stands in the data image: borrowed, never freed.
template <std::size_t N>
StringValue pool_literal(const std::array<LiteralSpec, N>& pool, std::size_t id) {
  return runtime_literal(literal_offset(pool, id));
}

// An 8-bit literal of `pool` widened through the current code page for
// printing.
template <std::size_t N>
StringValue pool_text(const std::array<LiteralSpec, N>& pool, std::size_t id) {
  return string_to_wide(pool_literal(pool, id));
}

// Prints `line` and moves to the start of the next row.
inline void print_line(StringValue line) {
  screen_print(std::move(line));
  screen_newline();
}
