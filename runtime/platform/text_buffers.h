// The caller's side of the Windows text conversions, the same on every
// platform: how long the source is, and how the result reaches the caller's
// buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>

namespace platform::text {

// A source count of -1 (any negative count) means "up to and including the
// terminating zero".
template <typename Unit>
std::size_t source_length(const Unit* source, int count) {
  if (count >= 0) {
    return static_cast<std::size_t>(count);
  }
  std::size_t length = 0;
  while (source[length] != Unit{0}) {
    ++length;
  }
  return length + 1;
}

// Measures (output_size 0) or copies the converted text; 0 when it does not
// fit or is too long to count.
template <typename Unit>
int deliver(const std::basic_string<Unit>& converted, Unit* output, int output_size) {
  if (converted.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return 0;
  }
  const int length = static_cast<int>(converted.size());
  if (output_size == 0) {
    return length;
  }
  if (output == nullptr || output_size < length) {
    return 0;
  }
  std::copy(converted.begin(), converted.end(), output);
  return length;
}

} // namespace platform::text
