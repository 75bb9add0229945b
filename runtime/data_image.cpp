// The program's data image: its descriptor, its move to the run-time place,
// and literals read from there.
#include "runtime/data_image.h"

#include "runtime/platform/string_block.h"
#include "runtime/state.h"

namespace {

// A descriptor field, little-endian whatever the CPU.
std::uint32_t load32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// A literal block begins with its 32-bit byte count, in the CPU's order;
// the string's handle points past it.
constexpr std::uint32_t kCountBytes = platform::string_block::kCountBytes;

} // namespace

ImageDescriptorFields read_image_descriptor(const std::uint8_t* section) {
  const std::uint8_t* fields = section + kDescriptorOffset;
  return ImageDescriptorFields{load32(fields), load32(fields + 4), load32(fields + 8),
                               load32(fields + 12)};
}

void runtime_move_image(std::uint8_t* section, const ImageDescriptorFields& fields) {
  const std::uint8_t* from = section + kStoredImageOffset;
  std::uint8_t* to = section + fields.image_offset;
  // Last byte first: the run-time place lies above the stored one and the
  // two ranges may overlap.
  for (std::uint32_t i = fields.image_length; i > 0; --i) {
    to[i - 1] = from[i - 1];
  }
}

StringValue runtime_literal(std::uint32_t stored_offset) {
  const ImageDescriptor& image = runtime_state().image_descriptor;
  const std::uint64_t relative = std::uint64_t{stored_offset} - kStoredImageOffset;
  if (image.image == nullptr || stored_offset < kStoredImageOffset ||
      relative + kCountBytes > image.image_length) {
    return StringValue{};
  }
  // A count that runs past the image would have string operations read
  // beyond it.
  const std::uint8_t* block = image.image + relative;
  if (relative + kCountBytes + platform::string_block::read_count(block) > image.image_length) {
    return StringValue{};
  }
  return StringValue::borrowed(block + kCountBytes);
}
