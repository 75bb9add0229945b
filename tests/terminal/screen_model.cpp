#include "tests/terminal/screen_model.h"

#include <algorithm>
#include <charconv>

#include "runtime/platform/utf8.h"

namespace terminal_test {
namespace {

std::vector<int> numbers(std::string_view parameters) {
  std::vector<int> result;
  std::size_t start = 0;
  while (start <= parameters.size()) {
    std::size_t end = parameters.find(';', start);
    if (end == std::string_view::npos) {
      end = parameters.size();
    }
    int value = -1; // left out
    std::from_chars(parameters.data() + start, parameters.data() + end, value);
    result.push_back(value);
    start = end + 1;
  }
  return result;
}

int parameter(const std::vector<int>& values, std::size_t i, int fallback) {
  return i < values.size() && values[i] > 0 ? values[i] : fallback;
}

} // namespace

ScreenModel::ScreenModel(int columns, int rows)
    : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns) * rows) {}

std::string ScreenModel::row_text(int y) const {
  std::string text;
  for (int x = 0; x < columns_; ++x) {
    platform::utf8::append(text, at(x, y).character);
  }
  return text;
}

void ScreenModel::set_text(int x, int y, std::u32string_view text) {
  for (const char32_t c : text) {
    cells_[index(x++, y)].character = c;
  }
}

void ScreenModel::feed(std::string_view input) {
  std::string bytes = partial_ + std::string(input);
  partial_.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0x1B) {
      if (i + 1 >= bytes.size()) {
        partial_ = bytes.substr(i);
        return;
      }
      if (bytes[i + 1] != '[') {
        unknown_.push_back(bytes.substr(i, 2));
        i += 2;
        continue;
      }
      std::size_t end = i + 2;
      while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) < 0x40 ||
                                    static_cast<unsigned char>(bytes[end]) > 0x7E)) {
        ++end;
      }
      if (end >= bytes.size()) {
        partial_ = bytes.substr(i);
        return;
      }
      control_sequence(std::string_view(bytes).substr(i + 2, end - i - 2), bytes[end]);
      i = end + 1;
      continue;
    }
    if (byte == '\r') {
      x_ = 0;
      pending_wrap_ = false;
    } else if (byte == '\n') {
      line_feed();
    } else if (byte == '\b') {
      x_ = std::max(0, x_ - (pending_wrap_ ? 0 : 1));
      pending_wrap_ = false;
    } else if (byte == '\a') {
      ++bells_;
    } else if (byte < 0x20 || byte == 0x7F) {
      unknown_.emplace_back(1, static_cast<char>(byte));
    } else if (byte < 0x80) {
      print(byte);
    } else {
      const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
      if (i + length > bytes.size()) {
        partial_ = bytes.substr(i);
        return;
      }
      char32_t code_point = byte & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
      for (std::size_t k = 1; k < length; ++k) {
        code_point = (code_point << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      }
      print(code_point);
      i += length;
      continue;
    }
    ++i;
  }
}

// Auto-wrap as xterm does it: writing the last column leaves the cursor
// there until the next character arrives.
void ScreenModel::print(char32_t character) {
  if (pending_wrap_) {
    x_ = 0;
    pending_wrap_ = false;
    line_feed();
  }
  cells_[index(x_, y_)] = ScreenCell{character, foreground_, background_};
  if (x_ + 1 == columns_) {
    pending_wrap_ = true;
  } else {
    ++x_;
  }
}

void ScreenModel::line_feed() {
  pending_wrap_ = false;
  if (y_ + 1 < rows_) {
    ++y_;
    return;
  }
  std::string top;
  for (int x = 0; x < columns_; ++x) {
    platform::utf8::append(top, at(x, 0).character);
  }
  scrollback_.push_back(top);
  cells_.erase(cells_.begin(), cells_.begin() + columns_);
  cells_.insert(cells_.end(), static_cast<std::size_t>(columns_),
                ScreenCell{U' ', -1, background_});
}

void ScreenModel::erase(int from_x, int from_y, int to_index) {
  for (std::size_t i = index(from_x, from_y); i < static_cast<std::size_t>(to_index); ++i) {
    cells_[i] = ScreenCell{U' ', -1, background_};
  }
}

void ScreenModel::control_sequence(std::string_view parameters, char final) {
  if (!parameters.empty() && parameters.front() == '?') {
    if (parameters == "?25" && (final == 'h' || final == 'l')) {
      cursor_visible_ = final == 'h';
    } else {
      unknown_.push_back(std::string(parameters) + final);
    }
    return;
  }
  const std::vector<int> values = numbers(parameters);
  const int n = parameter(values, 0, 1);
  switch (final) {
  case 'H':
    y_ = std::min(rows_, n) - 1;
    x_ = std::min(columns_, parameter(values, 1, 1)) - 1;
    break;
  case 'A':
    y_ = std::max(0, y_ - n);
    break;
  case 'B':
    y_ = std::min(rows_ - 1, y_ + n);
    break;
  case 'C':
    x_ = std::min(columns_ - 1, x_ + n);
    break;
  case 'D':
    x_ = std::max(0, x_ - n);
    break;
  case 'G':
    x_ = std::min(columns_, n) - 1;
    break;
  case 'd':
    y_ = std::min(rows_, n) - 1;
    break;
  case 'J':
    if (values[0] > 0) {
      unknown_.push_back(std::string(parameters) + final);
    }
    erase(x_, y_, columns_ * rows_);
    break;
  case 'K':
    if (values[0] > 0) {
      unknown_.push_back(std::string(parameters) + final);
    }
    erase(x_, y_, (y_ + 1) * columns_);
    break;
  case 'm':
    select_graphic_rendition(parameters);
    break;
  default:
    unknown_.push_back(std::string(parameters) + final);
    return;
  }
  pending_wrap_ = false;
}

void ScreenModel::select_graphic_rendition(std::string_view parameters) {
  for (const int value : numbers(parameters)) {
    if (value <= 0) {
      foreground_ = background_ = -1;
    } else if (value >= 30 && value <= 37) {
      foreground_ = value - 30;
    } else if (value >= 90 && value <= 97) {
      foreground_ = value - 90 + 8;
    } else if (value >= 40 && value <= 47) {
      background_ = value - 40;
    } else if (value >= 100 && value <= 107) {
      background_ = value - 100 + 8;
    } else {
      unknown_.push_back("m" + std::to_string(value));
    }
  }
}

} // namespace terminal_test
