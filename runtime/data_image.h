// A program's data section: 16 zero bytes, the image descriptor, and the data
// image (the literal pool) stored from offset 0x20. Start-up moves the image
// to its run-time place, and literals are read from there. The descriptor's
// fields are little-endian on every CPU; the literal blocks are string blocks
// like any other, their counts and UTF-16 units in the CPU's own order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/platform/string_block.h"
#include "runtime/string.h"

inline constexpr std::uint32_t kDescriptorOffset = 0x10;
inline constexpr std::uint32_t kStoredImageOffset = 0x20;
// Where the image lives while the program runs: the runtime state lies in
// front of it.
inline constexpr std::uint32_t kRunTimeImageOffset = 0xA50;

// The four 32-bit fields at offset 0x10, as stored.
struct ImageDescriptorFields {
  std::uint32_t zero_fill_length = 0;
  std::uint32_t zero_fill_offset = 0;
  std::uint32_t image_length = 0;
  std::uint32_t image_offset = 0;
};

ImageDescriptorFields read_image_descriptor(const std::uint8_t* section);

// Copies image_length bytes from offset 0x20 to image_offset, last byte
// first, so that an upward move over an overlapping range is correct.
void runtime_move_image(std::uint8_t* section, const ImageDescriptorFields& fields);

// A literal: 8-bit text in the ANSI code page, or UTF-16 used as it stands.
struct LiteralSpec {
  std::string_view ansi;
  std::u16string_view wide;
  bool is_wide = false;
};

constexpr LiteralSpec ansi_literal(std::string_view text) {
  return {text, {}, false};
}
constexpr LiteralSpec wide_literal(std::u16string_view text) {
  return {{}, text, true};
}

namespace data_image_detail {

constexpr std::uint32_t align4(std::size_t value) {
  return static_cast<std::uint32_t>((value + 3U) & ~std::size_t{3});
}

// A literal is stored as a string block (its 32-bit byte count, its bytes and
// a zero unit), padded to 4 bytes so that UTF-16 data stays aligned.
constexpr std::uint32_t data_bytes(const LiteralSpec& literal) {
  return static_cast<std::uint32_t>(literal.is_wide ? literal.wide.size() * 2
                                                    : literal.ansi.size());
}

constexpr std::uint32_t block_size(const LiteralSpec& literal) {
  return align4(platform::string_block::kCountBytes + data_bytes(literal) +
                (literal.is_wide ? 2U : 1U));
}

// A descriptor field: little-endian whatever the CPU.
constexpr void put32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

} // namespace data_image_detail

template <std::size_t N>
constexpr std::uint32_t image_length(const std::array<LiteralSpec, N>& literals) {
  std::uint32_t total = 0;
  for (const auto& literal : literals) {
    total += data_image_detail::block_size(literal);
  }
  return total;
}

// Stored offset (from the start of the data section) of literal `index`.
template <std::size_t N>
constexpr std::uint32_t literal_offset(const std::array<LiteralSpec, N>& literals,
                                       std::size_t index) {
  std::uint32_t offset = kStoredImageOffset;
  for (std::size_t i = 0; i < index; ++i) {
    offset += data_image_detail::block_size(literals[i]);
  }
  return offset;
}

template <std::size_t N>
constexpr std::size_t section_size(const std::array<LiteralSpec, N>& literals) {
  return kStoredImageOffset + image_length(literals);
}

// Builds the stored data section of a program with its literal pool and a
// descriptor that places the image at kRunTimeImageOffset and clears no
// global-variable area.
template <std::size_t Size, std::size_t N>
constexpr std::array<std::uint8_t, Size>
build_data_section(const std::array<LiteralSpec, N>& literals) {
  static_assert(Size >= kStoredImageOffset);
  std::array<std::uint8_t, Size> section{};
  using data_image_detail::put32;
  put32(&section[kDescriptorOffset + 0], 0);
  put32(&section[kDescriptorOffset + 4], kRunTimeImageOffset);
  put32(&section[kDescriptorOffset + 8], image_length(literals));
  put32(&section[kDescriptorOffset + 12], kRunTimeImageOffset);
  std::uint32_t at = kStoredImageOffset;
  for (const auto& literal : literals) {
    platform::string_block::write_count(&section[at], data_image_detail::data_bytes(literal));
    std::uint32_t data = at + platform::string_block::kCountBytes;
    if (literal.is_wide) {
      for (char16_t unit : literal.wide) {
        platform::string_block::store_native(&section[data], static_cast<std::uint16_t>(unit));
        data += 2;
      }
    } else {
      for (char byte : literal.ansi) {
        section[data++] = static_cast<std::uint8_t>(byte);
      }
    }
    at += data_image_detail::block_size(literal);
  }
  return section;
}

// The literal stored at `stored_offset`, read from its run-time place in the
// moved image; borrowed, never freed.
StringValue runtime_literal(std::uint32_t stored_offset);
