#include "runtime/platform/key_records.h"

#include "runtime/platform/us_layout.h"

namespace platform {
namespace {

KeyEvent control_key(char16_t code) {
  KeyEvent event;
  event.key_down = 1;
  event.character = code;
  for (const us_layout::ControlCodeKey& own : us_layout::kControlCodeKeys) {
    if (own.character == code) {
      event.virtual_scan_code = own.scan;
      event.virtual_key_code = own.vk;
      return event;
    }
  }
  if (code == 0) {
    return event;
  }
  // Ctrl with a letter, or with the punctuation key of the character 0x40
  // above (Ctrl+\ is 0x1C, Ctrl+] 0x1D, Ctrl+^ 0x1E, Ctrl+_ 0x1F).
  const us_layout::KeyCodes base = us_layout::key_for(static_cast<char16_t>(code + 0x40));
  event.virtual_scan_code = base.scan;
  event.virtual_key_code = base.vk;
  event.control_key_state = kLeftCtrlPressed | (code >= 0x1E ? kShiftPressed : 0);
  return event;
}

} // namespace

KeyEvent character_key(char16_t character) {
  if (character < 0x20) {
    return control_key(character);
  }
  KeyEvent event;
  event.key_down = 1;
  event.character = character;
  const us_layout::KeyCodes codes = us_layout::key_for(character);
  event.virtual_scan_code = codes.scan;
  event.virtual_key_code = codes.vk;
  event.control_key_state = codes.shift ? kShiftPressed : 0;
  return event;
}

std::array<InputRecord, 2> key_press(const KeyEvent& key) {
  std::array<InputRecord, 2> records{};
  for (InputRecord& record : records) {
    record.event_type = kKeyEvent;
    record.key = key;
  }
  records[0].key.key_down = 1;
  records[1].key.key_down = 0;
  return records;
}

} // namespace platform
