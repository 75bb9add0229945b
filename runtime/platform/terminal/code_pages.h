// Conversions between 8-bit text in a Windows code page and UTF-16, with the
// Windows calls' conventions: code page 0 is the system ANSI code page (1252),
// 65001 is UTF-8; a source length of -1 means "up to and including the
// terminating zero"; an output size of 0 measures. 1252 and UTF-8 are built
// in, so the programs' texts never depend on a loadable converter; other code
// pages go through iconv.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include <iconv.h>

namespace platform::terminal {

// The iconv name of a code page; empty for code pages we cannot name.
std::string charset_of_code_page(std::uint32_t code_page);

class CodePageConverter {
public:
  CodePageConverter() = default;
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  // Gives the UTF-16 units written (or needed, when output_units is 0), 0 on
  // failure (unknown code page, output too small). Bytes that have no
  // character become U+FFFD in UTF-8 and their own value otherwise.
  int to_wide(std::uint32_t code_page, const char* source, int source_bytes, char16_t* output,
              int output_units);
  // Gives the bytes written (or needed), 0 on failure. Characters the code
  // page lacks become '?'.
  int to_multi_byte(std::uint32_t code_page, const char16_t* source, int source_units, char* output,
                    int output_bytes);

  // Text in a named character set (the locale's) as UTF-16; byte by byte, as
  // Latin-1, when no converter for the set can be opened.
  std::u16string decode(const std::string& charset, std::string_view bytes);

private:
  // An open converter, kept for later calls; (iconv_t)-1 when unavailable.
  iconv_t converter(const std::string& to, const std::string& from);

  std::map<std::pair<std::string, std::string>, iconv_t> converters_;
};

} // namespace platform::terminal
