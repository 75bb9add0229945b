// The code pages every console of ours converts by itself, with no loadable
// converter that could go missing: 1252, the system ANSI code page of the
// memory and terminal consoles, and UTF-8 (65001). Both consoles share these
// tables, so their texts agree byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::code_pages {

inline constexpr std::uint32_t kWindows1252 = 1252;
inline constexpr std::uint32_t kUtf8 = 65001;

[[nodiscard]] constexpr bool is_built_in(std::uint32_t code_page) {
  return code_page == kWindows1252 || code_page == kUtf8;
}

// The character of one byte of code page 1252. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of
// the same value, as they do on Windows; every byte outside 0x80-0x9F is its
// own code point.
[[nodiscard]] char16_t windows_1252_unit(unsigned char byte);

// Text in a built-in code page as UTF-16: a 1252 byte is one unit; in UTF-8
// each maximal ill-formed subsequence, and a sequence cut off by the end,
// gives one U+FFFD, as Windows does without MB_ERR_INVALID_CHARS.
[[nodiscard]] std::u16string to_utf16(std::uint32_t code_page, std::string_view bytes);

// UTF-16 in a built-in code page: a unit 1252 lacks becomes '?', an unpaired
// surrogate becomes U+FFFD in UTF-8.
[[nodiscard]] std::string from_utf16(std::uint32_t code_page, std::u16string_view units);

} // namespace platform::code_pages
