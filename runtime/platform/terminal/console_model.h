// The console screen buffer that the program writes: its cells, cursor,
// current attribute and cursor record, with the Windows screen operations
// applied to them. Its size follows the terminal's; cells the program never
// wrote stay unknown, so the terminal keeps showing what the shell left there.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/platform/platform.h"
#include "runtime/platform/screen_buffer.h"
#include "runtime/platform/terminal/renderer.h"

namespace platform::terminal {

class ConsoleModel {
public:
  explicit ConsoleModel(Coord size);

  [[nodiscard]] Coord size() const { return screen_.size(); }
  // Keeps the cells that fit, adds unwritten ones, keeps the cursor inside.
  void resize(Coord size);
  [[nodiscard]] std::span<const Cell> cells() const { return screen_.cells(); }

  [[nodiscard]] Coord cursor() const { return cursor_; }
  bool set_cursor(Coord position);

  // The screen operations of ScreenBuffer, noting that something changed.
  bool write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region);
  bool read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region) const {
    return screen_.read(buffer, buffer_size, buffer_coord, region);
  }
  std::uint32_t fill_attributes(std::uint16_t value, std::uint32_t length, Coord start);
  std::uint32_t fill_characters(char16_t character, std::uint32_t length, Coord start);
  bool scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
              const CharInfo& fill);

  // By how many rows this scroll moves the whole screen up (its top rows
  // leave the screen); 0 for any other scroll.
  [[nodiscard]] int whole_screen_rows_up(const SmallRect& scroll, const SmallRect* clip,
                                         Coord destination) const;

  std::uint16_t attributes = 0x07;
  CursorInfo cursor_info{25, 1};

  // Something changed since the last mark_drawn.
  [[nodiscard]] bool changed() const { return changed_; }
  void mark_drawn() { changed_ = false; }
  void mark_changed() { changed_ = true; }

private:
  ScreenBuffer screen_;
  Coord cursor_;
  bool changed_ = true;
};

} // namespace platform::terminal
