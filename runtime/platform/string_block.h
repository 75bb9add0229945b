// The memory layout of an automation string, as the runtime reads it and the
// non-Windows platforms build it: a 32-bit byte count, the data, then a zero
// 16-bit unit. A string's handle points at the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform::string_block {

inline constexpr std::size_t kCountBytes = sizeof(std::uint32_t);
inline constexpr std::size_t kTerminatorBytes = 2;

// The size of the whole block for `data_bytes` of data.
constexpr std::size_t block_bytes(std::uint32_t data_bytes) {
  return kCountBytes + data_bytes + kTerminatorBytes;
}

// Writes the count and the terminator into a block of block_bytes(data_bytes)
// and gives the handle.
inline void* format(void* block, std::uint32_t data_bytes) {
  auto* bytes = static_cast<unsigned char*>(block);
  std::memcpy(bytes, &data_bytes, kCountBytes);
  std::memset(bytes + kCountBytes + data_bytes, 0, kTerminatorBytes);
  return bytes + kCountBytes;
}

// The block that a handle's data lies in.
inline void* block_of(void* handle) {
  return static_cast<unsigned char*>(handle) - kCountBytes;
}

// The byte count stored in front of a handle's data.
inline std::uint32_t byte_count(const void* handle) {
  std::uint32_t count = 0;
  std::memcpy(&count, static_cast<const unsigned char*>(handle) - kCountBytes, kCountBytes);
  return count;
}

} // namespace platform::string_block
