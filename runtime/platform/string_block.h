// The memory layout of an automation string, as the runtime reads it and the
// non-Windows platforms build it: a 32-bit byte count, the data, then a zero
// 16-bit unit. A string's handle points at the data. The count and the UTF-16
// units are in the CPU's own byte order, as the system's allocator keeps
// them; literal blocks built at compile time (runtime/data_image.h) follow
// the same rule through the definitions here.
#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform::string_block {

inline constexpr std::size_t kCountBytes = sizeof(std::uint32_t);
inline constexpr std::size_t kTerminatorBytes = 2;

// `value` stored at `at` in the CPU's byte order, as a plain store of it
// would be; written byte by byte so that it also runs at compile time.
template <std::unsigned_integral T>
constexpr void store_native(std::uint8_t* at, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    const std::size_t shift = std::endian::native == std::endian::little ? i : sizeof(T) - 1 - i;
    at[i] = static_cast<std::uint8_t>(value >> (8 * shift));
  }
}

// The value stored at `at` in the CPU's byte order.
template <std::unsigned_integral T>
constexpr T load_native(const std::uint8_t* at) {
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    const std::size_t shift = std::endian::native == std::endian::little ? i : sizeof(T) - 1 - i;
    value = static_cast<T>(value | (static_cast<T>(at[i]) << (8 * shift)));
  }
  return value;
}

// The one definition of a block's count: written at the block's start,
// read in front of a handle.
constexpr void write_count(std::uint8_t* block, std::uint32_t data_bytes) {
  store_native(block, data_bytes);
}

constexpr std::uint32_t read_count(const std::uint8_t* block) {
  return load_native<std::uint32_t>(block);
}

// The size of the whole block for `data_bytes` of data.
constexpr std::size_t block_bytes(std::uint32_t data_bytes) {
  return kCountBytes + data_bytes + kTerminatorBytes;
}

// Writes the count and the terminator into a block of block_bytes(data_bytes)
// and gives the handle.
inline void* format(void* block, std::uint32_t data_bytes) {
  auto* bytes = static_cast<std::uint8_t*>(block);
  write_count(bytes, data_bytes);
  std::memset(bytes + kCountBytes + data_bytes, 0, kTerminatorBytes);
  return bytes + kCountBytes;
}

// The block that a handle's data lies in.
inline void* block_of(void* handle) {
  return static_cast<std::uint8_t*>(handle) - kCountBytes;
}

// The byte count stored in front of a handle's data.
inline std::uint32_t byte_count(const void* handle) {
  return read_count(static_cast<const std::uint8_t*>(handle) - kCountBytes);
}

} // namespace platform::string_block
