// The Latin-1 input character set, each byte its own code point: the 8-bit
// input the key decoder's tests and fuzz target read.
#pragma once

#include <cstddef>

#include "runtime/platform/terminal/key_decoder.h"

namespace test_support {

inline platform::terminal::InputCharset latin1_charset() {
  platform::terminal::InputCharset charset;
  charset.utf8 = false;
  for (std::size_t i = 0; i < charset.single_byte.size(); ++i) {
    charset.single_byte[i] = static_cast<char16_t>(i);
  }
  return charset;
}

} // namespace test_support
