#include <cstdint>
#include <string>
#include <vector>

#include "runtime/errors.h"
#include "runtime/memory.h"
#include "runtime/string.h"
#include "tests/support/runtime_test.h"

namespace {

constexpr std::u16string_view kDigits = u"0123456789";

class StringTest : public RuntimeTest {
protected:
  StringTest() : start_strings_(console.live_strings()) {}

  // Nothing the test made is left allocated once its variables are gone.
  [[nodiscard]] std::size_t leaked() const { return console.live_strings() - start_strings_; }

  // A temporary made the way an operation makes its result.
  static StringValue temporary16(std::u16string_view text) { return make_string16(text); }

private:
  std::size_t start_strings_;
};

// --- Blocks -------------------------------------------------------------

TEST_F(StringTest, AllocationGivesCountedBlocksAndNoneForLengthZero) {
  EXPECT_TRUE(string_alloc16(0).empty());
  EXPECT_TRUE(string_alloc8(0).empty());
  EXPECT_EQ(leaked(), 0U);

  RuntimeString wide = string_alloc16(3);
  RuntimeString narrow = string_alloc8(5);
  EXPECT_EQ(wide.byte_count(), 6U);
  EXPECT_EQ(wide.view16().size(), 3U);
  EXPECT_EQ(narrow.byte_count(), 5U);
  EXPECT_EQ(narrow.view8().size(), 5U);
  EXPECT_EQ(leaked(), 2U);

  console.failures().string_allocs_left = 0;
  EXPECT_TRUE(string_alloc16(4).empty());
  EXPECT_TRUE(string_alloc8(4).empty());
  EXPECT_EQ(error(), 0); // allocation itself raises nothing
}

TEST_F(StringTest, ValuesReleaseOnlyWhatTheyOwn) {
  {
    const RuntimeString variable = make_string16(u"kept");
    {
      const StringValue borrowed = variable;
      EXPECT_FALSE(borrowed.is_temporary());
      EXPECT_EQ(borrowed.view16(), u"kept");
    }
    EXPECT_EQ(variable.view16(), u"kept"); // a borrowed value frees nothing
    StringValue moved = temporary16(u"temp");
    StringValue target = std::move(moved);
    EXPECT_TRUE(target.is_temporary());
    EXPECT_TRUE(moved.empty());     // NOLINT(bugprone-use-after-move)
    target = StringValue(variable); // releases the temporary it held
    EXPECT_EQ(leaked(), 1U);
  }
  EXPECT_EQ(leaked(), 0U);
}

// --- Assignment ---------------------------------------------------------

TEST_F(StringTest, AssignmentMovesATemporaryIn) {
  RuntimeString variable = make_string16(u"old");
  RuntimeString source = make_string16(u"new value");
  const void* block = source.handle();
  string_assign(variable, std::move(source));
  EXPECT_EQ(variable.handle(), block);
  EXPECT_EQ(variable.view16(), u"new value");
  EXPECT_EQ(leaked(), 1U); // the old value was released
}

TEST_F(StringTest, AssignmentCopiesABorrowedValueIntoTheSameSizedBlock) {
  RuntimeString variable = make_string16(u"abc");
  const RuntimeString other = make_string16(u"xyz");
  const void* block = variable.handle();
  string_assign(variable, other);
  EXPECT_EQ(variable.handle(), block);
  EXPECT_EQ(variable.view16(), u"xyz");
  EXPECT_EQ(other.view16(), u"xyz");
  EXPECT_EQ(leaked(), 2U);

  const RuntimeString longer = make_string16(u"longer");
  string_assign(variable, longer);
  EXPECT_NE(variable.handle(), longer.handle());
  EXPECT_EQ(variable.view16(), u"longer");
  EXPECT_EQ(leaked(), 3U); // the old block went when the new one came

  string_assign(variable, variable); // its own value: unchanged
  EXPECT_EQ(variable.view16(), u"longer");

  string_assign(variable, StringValue()); // the empty string holds no block
  EXPECT_TRUE(variable.empty());
  EXPECT_EQ(leaked(), 2U);
  EXPECT_EQ(error(), 0);
}

TEST_F(StringTest, AssignmentFailureRaisesSevenAndEmptiesTheVariable) {
  RuntimeString variable = make_string16(u"former");
  const RuntimeString other = make_string16(u"no room for this");
  console.failures().string_allocs_left = 0;
  string_assign(variable, other);
  EXPECT_EQ(error(), 7);
  EXPECT_TRUE(variable.empty());
  EXPECT_EQ(leaked(), 1U); // the former value was released
}

// --- Conversions --------------------------------------------------------

TEST_F(StringTest, ConversionsUnderCodePage1252) {
  const RuntimeString dot = make_string8("\xB7");
  const StringValue wide = string_to_wide(dot);
  EXPECT_EQ(text16(wide), u"\u00B7");
  EXPECT_TRUE(wide.is_temporary());

  const RuntimeString caption = make_string16(u"Caf\u00E9 \u00B7");
  EXPECT_EQ(text8(string_to_ansi(caption, 1252)), "Caf\xE9 \xB7");
  EXPECT_EQ(text16(string_to_wide(string_to_ansi(caption))), caption.view16());
}

TEST_F(StringTest, CodePageZeroIsTheThreadsCurrentOne) {
  const RuntimeString bytes = make_string8("\xC2\xB7");
  EXPECT_EQ(text16(string_to_wide(bytes)), u"\u00C2\u00B7"); // the ANSI page, 1252
  runtime_thread_record()->code_page = 65001;
  EXPECT_EQ(text16(string_to_wide(bytes)), u"\u00B7");
  EXPECT_EQ(text16(string_to_wide(bytes, 1252)), u"\u00C2\u00B7"); // a given page wins
  runtime_thread_record()->code_page = 0;
}

// A UTF-8 system code page takes no MB_PRECOMPOSED; the literals convert all
// the same (the thread's UTF-8 code page: above). A lone 0xB7 is no UTF-8 and
// stands for U+FFFD.
class Utf8SystemCodePageTest : public RuntimeTest {
protected:
  Utf8SystemCodePageTest() : RuntimeTest(utf8_system()) {}
  static platform::MemoryConsole::Config utf8_system() {
    platform::MemoryConsole::Config config;
    config.ansi_code_page = 65001;
    return config;
  }
};

TEST_F(Utf8SystemCodePageTest, LiteralsConvert) {
  EXPECT_EQ(text16(string_to_wide(make_string8("Caf\xC3\xA9"))), u"Caf\u00E9");
  EXPECT_EQ(text16(string_to_wide(make_string8("\xB7"))), u"\uFFFD");
}

TEST_F(StringTest, ConversionMeasuresThenConvertsWithOneAllocation) {
  const RuntimeString text = make_string8("hello");
  const std::size_t converts = console.count_calls("MultiByteToWideChar");
  const std::size_t allocs = console.count_calls("SysAllocStringLen");
  EXPECT_EQ(text16(string_to_wide(text)), u"hello");
  EXPECT_EQ(console.count_calls("MultiByteToWideChar"), converts + 2);
  EXPECT_EQ(console.count_calls("SysAllocStringLen"), allocs + 1);
}

TEST_F(StringTest, ConversionFailuresGiveTheEmptyStringWithoutAnError) {
  EXPECT_TRUE(string_to_wide(StringValue()).empty());
  EXPECT_TRUE(string_to_ansi(StringValue()).empty());

  console.failures().conversion = true;
  EXPECT_TRUE(string_to_wide(make_string8("abc")).empty());
  EXPECT_TRUE(string_to_ansi(temporary16(u"abc")).empty());
  console.failures().conversion = false;

  const RuntimeString narrow = make_string8("abc");
  const RuntimeString wide = make_string16(u"abc");
  console.failures().string_allocs_left = 0;
  EXPECT_TRUE(string_to_wide(narrow).empty());
  EXPECT_TRUE(string_to_ansi(wide).empty());
  EXPECT_EQ(error(), 0);
  EXPECT_EQ(leaked(), 2U); // the temporary operands were consumed
}

// --- Concatenation ------------------------------------------------------

TEST_F(StringTest, ConcatenationKeepsAnOperandAsItIsWhenTheOtherIsEmpty) {
  const RuntimeString word = make_string16(u"word");
  const StringValue right_only = string_concat(StringValue(), word);
  EXPECT_EQ(right_only.handle(), word.handle());
  EXPECT_FALSE(right_only.is_temporary());
  const StringValue left_only = string_concat(word, StringValue());
  EXPECT_EQ(left_only.handle(), word.handle());
  EXPECT_FALSE(left_only.is_temporary());

  RuntimeString temporary = make_string16(u"temp");
  const void* block = temporary.handle();
  const StringValue passed = string_concat(StringValue(), std::move(temporary));
  EXPECT_EQ(passed.handle(), block);
  EXPECT_TRUE(passed.is_temporary());
  EXPECT_TRUE(string_concat(StringValue(), StringValue()).empty());
}

TEST_F(StringTest, ConcatenationJoinsAndConsumesItsOperands) {
  {
    const RuntimeString middle = make_string16(u" and ");
    const StringValue joined =
        string_concat(string_concat(temporary16(u"left"), middle), temporary16(u"right"));
    EXPECT_EQ(text16(joined), u"left and right");
    EXPECT_EQ(leaked(), 2U); // the literal and the result
  }
  EXPECT_EQ(leaked(), 0U);
  // 8-bit text joins byte by byte.
  EXPECT_EQ(text8(string_concat(make_string8("ab"), make_string8("c"))), "abc");
}

TEST_F(StringTest, ConcatenationFailureRaisesSeven) {
  RuntimeString left = make_string16(u"left");
  RuntimeString right = make_string16(u"right");
  console.failures().string_allocs_left = 0;
  EXPECT_TRUE(string_concat(std::move(left), std::move(right)).empty());
  EXPECT_EQ(error(), 7);
  EXPECT_EQ(leaked(), 0U);
}

// --- Repeat -------------------------------------------------------------

TEST_F(StringTest, RepeatTable) {
  struct Case {
    std::int32_t count;
    std::u16string text;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {27, u"\u00B7", std::u16string(27, u'\u00B7')},
      {30, u" ", std::u16string(30, u' ')},
      {3, u"ab", u"aaa"},
      {0, u"x", u""},
      {4, u"", std::u16string(4, u'\0')},
  };
  for (const Case& c : cases) {
    const RuntimeString text = make_string16(c.text);
    EXPECT_EQ(text16(string_repeat(c.count, text)), c.expected) << c.count;
  }
  EXPECT_EQ(error(), 0);
  EXPECT_EQ(leaked(), 0U);
}

TEST_F(StringTest, RepeatOfTheConvertedMiddleDot) {
  const RuntimeString dot = make_string8("\xB7");
  EXPECT_EQ(text16(string_repeat(27, string_to_wide(dot))), std::u16string(27, u'\u00B7'));
  EXPECT_EQ(leaked(), 1U);
}

TEST_F(StringTest, RepeatFailuresRaiseSevenAndGiveTheEmptyString) {
  for (const std::int32_t count : {-1, INT32_MIN}) {
    runtime_clear_error();
    EXPECT_TRUE(string_repeat(count, temporary16(u"x")).empty()) << count;
    EXPECT_EQ(error(), 7) << count;
  }
  runtime_clear_error();
  console.failures().string_allocs_left = 0;
  EXPECT_TRUE(string_repeat(5, StringValue()).empty());
  EXPECT_EQ(error(), 7);
  EXPECT_EQ(leaked(), 0U);
}

// --- Compare ------------------------------------------------------------

TEST_F(StringTest, CompareTable) {
  struct Case {
    std::u16string left;
    std::u16string right;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {u"\x1b", u"\x1b", 0}, {u"\x1b", std::u16string(u"\0\x1b", 2), 1},
      {u"abc", u"ab", 1},    {u"ab", u"abc", -1},
      {u"a", u"B", 1},       {u"", u"", 0},
      {u"", u"a", -1},       {u"\uFFFF", u"A", 1}, // units compare unsigned
      {u"abd", u"abc", 1},
  };
  for (const Case& c : cases) {
    const RuntimeString left = make_string16(c.left);
    const RuntimeString right = make_string16(c.right);
    EXPECT_EQ(string_compare(left, right), c.expected)
        << std::string(c.left.begin(), c.left.end()) << " / "
        << std::string(c.right.begin(), c.right.end());
  }
  EXPECT_EQ(string_compare(temporary16(u"x"), temporary16(u"x")), 0);
  EXPECT_EQ(leaked(), 0U);
}

// --- Verify -------------------------------------------------------------

TEST_F(StringTest, VerifyTable) {
  struct Case {
    std::int32_t start;
    std::u16string text;
    std::u16string set;
    std::int32_t expected;
  };
  const std::u16string digits(kDigits);
  const std::vector<Case> cases =
      {
          {1, u"123", digits, 0}, {1, u"12x4", digits, 3},
          {1, u" 12", digits, 1}, {1, u"", digits, 0},
          {2, u"x23", digits, 0}, {3, u"12x", digits, 3},
          {4, u"12x", digits, 0}, // start past the end
          {2, u"abc", u"", 2},    // the empty set: the start itself
          {9, u"abc", u"", 9},    {1, u"", u"", 0},
          {0, u"x1", digits, 1}, // a start below 1 checks from the beginning
          {-5, u"12", digits, 0}, {1, u"aXb", u"ab", 2}, // no case folding
      };
  for (const Case& c : cases) {
    const RuntimeString text = make_string16(c.text);
    const RuntimeString set = make_string16(c.set);
    EXPECT_EQ(string_verify(c.start, text, set), c.expected)
        << c.start << " " << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_EQ(leaked(), 0U);
}

// --- A line built as the programs build one -----------------------------

TEST_F(StringTest, RepeatLiteralJoinRepeatJoinLeavesOnlyTheVariable) {
  const RuntimeString dot = make_string8("\xB7");
  const RuntimeString caption = make_string8(" Chart ");
  RuntimeString line;
  string_assign(line, string_concat(string_concat(string_repeat(3, string_to_wide(dot)),
                                                  string_to_wide(caption)),
                                    string_repeat(3, string_to_wide(dot))));
  EXPECT_EQ(line.view16(), u"\u00B7\u00B7\u00B7 Chart \u00B7\u00B7\u00B7");
  EXPECT_EQ(leaked(), 3U); // two literals and the line
  EXPECT_EQ(error(), 0);
}

} // namespace
