// The data image: the descriptor as stored, the move to the run-time place
// (upward over an overlapping range), the global-variable area cleared after
// the move, and literals read from where the image lives while running.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <numeric>
#include <vector>

#include "runtime/data_image.h"
#include "runtime/state.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::MemoryConsole;

void put32(std::vector<std::uint8_t>& section, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    section[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// A section of `size` bytes whose stored image (from 0x20) counts 1, 2, 3...
std::vector<std::uint8_t> section_with_image(std::size_t size, const ImageDescriptorFields& f) {
  std::vector<std::uint8_t> section(size, 0);
  put32(section, 0x10, f.zero_fill_length);
  put32(section, 0x14, f.zero_fill_offset);
  put32(section, 0x18, f.image_length);
  put32(section, 0x1C, f.image_offset);
  for (std::uint32_t i = 0; i < f.image_length; ++i) {
    section[0x20 + i] = static_cast<std::uint8_t>(i + 1);
  }
  return section;
}

TEST(DataImage, DescriptorFieldsAreLittleEndian) {
  std::vector<std::uint8_t> section(0x20, 0);
  put32(section, 0x10, 0x04030201);
  put32(section, 0x14, 0xA50);
  put32(section, 0x18, 0x58C);
  put32(section, 0x1C, 0xA50);
  const ImageDescriptorFields f = read_image_descriptor(section.data());
  EXPECT_EQ(f.zero_fill_length, 0x04030201U);
  EXPECT_EQ(f.zero_fill_offset, 0xA50U);
  EXPECT_EQ(f.image_length, 0x58CU);
  EXPECT_EQ(f.image_offset, 0xA50U);
}

TEST(DataImage, MoveIsCorrectForEveryUpwardDistance) {
  // Distances smaller than the length overlap; a forward copy would smear
  // the first bytes over the whole image.
  for (std::uint32_t distance : {1U, 3U, 8U, 31U, 32U, 100U}) {
    const ImageDescriptorFields f{0, 0, 32, 0x20 + distance};
    std::vector<std::uint8_t> section = section_with_image(0x20 + distance + 32, f);
    runtime_move_image(section.data(), f);
    std::vector<std::uint8_t> expected(32);
    std::iota(expected.begin(), expected.end(), std::uint8_t{1});
    EXPECT_EQ(std::vector<std::uint8_t>(section.begin() + 0x20 + distance, section.end()), expected)
        << "distance " << distance;
  }
}

TEST(DataImage, MoveOfAnEmptyImageTouchesNothing) {
  const ImageDescriptorFields f{0, 0, 0, 0x40};
  std::vector<std::uint8_t> section = section_with_image(0x48, f);
  section[0x40] = 0xEE;
  runtime_move_image(section.data(), f);
  EXPECT_EQ(section[0x40], 0xEE);
}

// A program whose main checks the data section as start-up left it.
struct Seen {
  std::vector<std::uint8_t> section;
  ImageDescriptor descriptor;
  std::u16string literal16;
  std::string literal8;
  std::uint32_t bytes16 = 0;
  std::uint32_t bytes8 = 0;
  std::ptrdiff_t literal_place = 0; // from the start of the data section
  bool empty_outside = false;
};
Seen g_seen;

std::int32_t checking_main(platform::Handle, platform::Handle, const char16_t*, std::int32_t) {
  RuntimeFrame frame;
  g_seen.section = runtime_state().data_section;
  g_seen.descriptor = runtime_state().image_descriptor;
  return 0;
}

TEST(DataImageStartUp, ZeroFillAreaIsClearedAfterTheImageMoved) {
  // The image moves from 0x20 to 0x60; the global-variable area is the
  // 16 bytes at 0x20 that the stored image occupied.
  const ImageDescriptorFields f{16, 0x20, 0x30, 0x60};
  const std::vector<std::uint8_t> stored = section_with_image(0x50, f);
  ProgramDefinition program;
  program.data_section = stored;
  program.main = checking_main;
  MemoryConsole console;
  g_seen = Seen{};
  run_program(console, program);

  ASSERT_GE(g_seen.section.size(), 0x90U);
  for (std::size_t i = 0x20; i < 0x30; ++i) {
    EXPECT_EQ(g_seen.section[i], 0) << i;
  }
  EXPECT_EQ(g_seen.section[0x30], 17); // beyond the area: the stored bytes stay
  for (std::uint32_t i = 0; i < 0x30; ++i) {
    EXPECT_EQ(g_seen.section[0x60 + i], i + 1) << i;
  }
  EXPECT_EQ(g_seen.descriptor.zero_fill_length, 16U);
  EXPECT_EQ(g_seen.descriptor.image_length, 0x30U);
}

constexpr std::array kLiterals = {ansi_literal("Range is "), wide_literal(u"0123456789"),
                                  ansi_literal("\xB7")};
constexpr auto kSection = build_data_section<section_size(kLiterals)>(kLiterals);

std::int32_t literal_main(platform::Handle, platform::Handle, const char16_t*, std::int32_t) {
  RuntimeFrame frame;
  const StringValue narrow = runtime_literal(literal_offset(kLiterals, 0));
  const StringValue wide = runtime_literal(literal_offset(kLiterals, 1));
  g_seen.literal8 = std::string(narrow.view8());
  g_seen.literal16 = std::u16string(wide.view16());
  g_seen.bytes8 = narrow.byte_count();
  g_seen.bytes16 = wide.byte_count();
  g_seen.literal_place =
      static_cast<const std::uint8_t*>(narrow.handle()) - runtime_state().data_section.data();
  g_seen.section = runtime_state().data_section;
  g_seen.descriptor = runtime_state().image_descriptor;
  g_seen.empty_outside =
      runtime_literal(0x10).empty() && runtime_literal(0x20 + image_length(kLiterals)).empty();
  return 0;
}

TEST(DataImageStartUp, LiteralsAreReadFromTheirRunTimePlace) {
  ProgramDefinition program;
  program.data_section = kSection;
  program.main = literal_main;
  MemoryConsole console;
  g_seen = Seen{};
  run_program(console, program);

  // Counts and units as every string holds them, in the CPU's byte order
  // (on a big-endian CPU a little-endian count would read as 0x14000000).
  EXPECT_EQ(g_seen.bytes8, 9U);
  EXPECT_EQ(g_seen.bytes16, 20U);
  EXPECT_EQ(g_seen.literal8, "Range is ");
  EXPECT_EQ(g_seen.literal16, u"0123456789");
  // The handle lies in the moved image: stored offset + 0xA30, past the count.
  EXPECT_EQ(g_seen.literal_place, literal_offset(kLiterals, 0) + 0xA30 + 4);
  EXPECT_TRUE(g_seen.empty_outside);
  EXPECT_EQ(console.live_strings(), 0U); // literals are borrowed, never copied
}

std::int32_t overrun_main(platform::Handle, platform::Handle, const char16_t*, std::int32_t) {
  RuntimeFrame frame;
  g_seen.empty_outside = runtime_literal(0x20).empty();
  g_seen.literal8 = std::string(runtime_literal(0x28).view8());
  return 0;
}

TEST(DataImageStartUp, LiteralWhoseCountRunsPastTheImageIsEmpty) {
  // Two blocks in a 16-byte image: the first claims 100 bytes, the second
  // holds "ok".
  const ImageDescriptorFields f{0, 0, 16, 0x40};
  std::vector<std::uint8_t> stored = section_with_image(0x30, f);
  platform::string_block::write_count(&stored[0x20], 100);
  platform::string_block::write_count(&stored[0x28], 2);
  stored[0x2C] = 'o';
  stored[0x2D] = 'k';
  stored[0x2E] = 0;
  ProgramDefinition program;
  program.data_section = stored;
  program.main = overrun_main;
  MemoryConsole console;
  g_seen = Seen{};
  run_program(console, program);
  EXPECT_TRUE(g_seen.empty_outside);
  EXPECT_EQ(g_seen.literal8, "ok");
}

} // namespace
