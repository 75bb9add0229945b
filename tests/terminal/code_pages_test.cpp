// Conversions between code pages and UTF-16 with the Windows calls'
// conventions: measuring, terminators, and what happens to text a code page
// cannot hold.
#include <gtest/gtest.h>

#include <string>

#include <sys/resource.h>

#include "runtime/platform/terminal/code_pages.h"

namespace {

using platform::terminal::CodePageConverter;

std::u16string to_wide(CodePageConverter& converter, std::uint32_t code_page,
                       std::string_view text) {
  const int needed =
      converter.to_wide(code_page, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string result(static_cast<std::size_t>(needed), u'\0');
  EXPECT_EQ(converter.to_wide(code_page, text.data(), static_cast<int>(text.size()), result.data(),
                              needed),
            needed);
  return result;
}

std::string to_multi_byte(CodePageConverter& converter, std::uint32_t code_page,
                          std::u16string_view text) {
  const int needed =
      converter.to_multi_byte(code_page, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::string result(static_cast<std::size_t>(needed), '\0');
  EXPECT_EQ(converter.to_multi_byte(code_page, text.data(), static_cast<int>(text.size()),
                                    result.data(), needed),
            needed);
  return result;
}

TEST(CodePages, AnsiCodePageIs1252BothWays) {
  CodePageConverter converter;
  struct Pair {
    std::string bytes;
    std::u16string text;
  };
  const Pair pairs[] = {
      {"\xB7", u"\u00B7"}, // the chart's separator, a middle dot
      {"\x80", u"\u20AC"}, // euro sign
      {"\x93quoted\x94", u"\u201Cquoted\u201D"},
      {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"}, // undefined: kept as C1
      {"plain", u"plain"},
  };
  for (const Pair& pair : pairs) {
    EXPECT_EQ(to_wide(converter, 0, pair.bytes), pair.text) << pair.bytes;
    EXPECT_EQ(to_multi_byte(converter, 0, pair.text), pair.bytes) << pair.bytes;
    EXPECT_EQ(to_wide(converter, 1252, pair.bytes), pair.text) << pair.bytes;
  }
  EXPECT_EQ(to_multi_byte(converter, 0, u"\u4E00x"), "?x") << "not in 1252";
}

// While it lives, no descriptor can be opened, so no converter module can be
// loaded.
class NoDescriptorsLeft {
public:
  NoDescriptorsLeft() {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    const rlimit none{0, saved_.rlim_max};
    ::setrlimit(RLIMIT_NOFILE, &none);
  }
  ~NoDescriptorsLeft() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
  NoDescriptorsLeft(const NoDescriptorsLeft&) = delete;
  NoDescriptorsLeft& operator=(const NoDescriptorsLeft&) = delete;

private:
  rlimit saved_{};
};

// The system ANSI code page and UTF-8 are built in: the programs' texts
// convert however the C library's converters fare.
TEST(CodePages, BuiltInCodePagesNeedNoConverterModule) {
  CodePageConverter converter;
  const NoDescriptorsLeft no_descriptors;
  EXPECT_EQ(to_wide(converter, 0, "\xB7 \x80"), u"\u00B7 \u20AC");
  EXPECT_EQ(to_multi_byte(converter, 1252, u"\u00B7"), "\xB7");
  EXPECT_EQ(to_wide(converter, 65001, "\xC2\xB7"), u"\u00B7");
  EXPECT_EQ(to_multi_byte(converter, 65001, u"\u00B7"), "\xC2\xB7");
}

TEST(CodePages, Utf8ReplacesMalformedBytes) {
  CodePageConverter converter;
  EXPECT_EQ(to_wide(converter, 65001, "\xC3\xA9\xF0\x9F\x98\x80"), u"\u00E9\U0001F600");
  EXPECT_EQ(to_wide(converter, 65001,
                    "a\xFF"
                    "b"),
            u"a\uFFFDb");
  EXPECT_EQ(to_multi_byte(converter, 65001, u"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
}

// Code pages other than the built-in ones go through iconv: a character the
// code page lacks becomes '?', and a byte with no character its own value.
TEST(CodePages, OtherCodePagesConvertThroughIconv) {
  CodePageConverter converter;
  EXPECT_EQ(to_wide(converter, 437,
                    "\x80\xdb"
                    "a"),
            u"\u00c7\u2588a");
  EXPECT_EQ(to_multi_byte(converter, 437, u"\u00c7\u20ac\u2588"), "\x80?\xdb");
  EXPECT_EQ(to_wide(converter, 1253,
                    "b\xaa"
                    "c"),
            u"b\u00aac");
}

TEST(CodePages, FollowsTheWindowsCallingConventions) {
  CodePageConverter converter;
  // -1: up to and including the terminating zero.
  EXPECT_EQ(converter.to_wide(0, "abc", -1, nullptr, 0), 4);
  char16_t wide[8] = {};
  EXPECT_EQ(converter.to_wide(0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(converter.to_multi_byte(0, u"xy", -1, nullptr, 0), 3);
  // Too small an output gives 0 and writes nothing past it.
  char16_t small[2] = {u'#', u'#'};
  EXPECT_EQ(converter.to_wide(0, "abc", 3, small, 1), 0);
  // An empty source and an unknown code page fail.
  EXPECT_EQ(converter.to_wide(0, "", 0, nullptr, 0), 0);
  EXPECT_EQ(converter.to_wide(12345, "a", 1, nullptr, 0), 0);
}

} // namespace
