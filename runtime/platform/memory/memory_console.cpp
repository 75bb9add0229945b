// The memory console: process, memory, console set-up, window and screen
// operations. Input and the clock live in memory_input.cpp, text conversion
// and automation strings in memory_text.cpp.
#include "runtime/platform/memory/memory_console.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace platform {

namespace {

constexpr std::uint32_t kDefaultInputMode = 0x01F7;
constexpr std::uint32_t kDefaultOutputMode = kEnableProcessedOutput | kEnableWrapAtEolOutput;
constexpr std::uint32_t kVersionInfoSizeA = 148;
constexpr std::uint32_t kVersionInfoExSizeA = 156;

// System-menu commands of a console window.
constexpr std::uint32_t kScSize = 0xF000;
constexpr std::uint32_t kScMove = 0xF010;
constexpr std::uint32_t kScMinimize = 0xF020;
constexpr std::uint32_t kScMaximize = 0xF030;
constexpr std::uint32_t kScRestore = 0xF120;
constexpr std::uint32_t kMenuEdit = 0xFFF0;
constexpr std::uint32_t kMenuDefaults = 0xFFF7;
constexpr std::uint32_t kMenuProperties = 0xFFF8;

// The system menu a console window starts with; Close is at position 6.
std::vector<MenuItem> initial_system_menu() {
  return {{kScRestore, u"&Restore"},
          {kScMove, u"&Move"},
          {kScSize, u"&Size"},
          {kScMinimize, u"Mi&nimize"},
          {kScMaximize, u"Ma&ximize"},
          {0, u""},
          {kScClose, u"&Close"},
          {0, u""},
          {kMenuEdit, u"&Edit"},
          {kMenuDefaults, u"&Defaults"},
          {kMenuProperties, u"&Properties"}};
}

// The calls a polling loop makes over and over.
bool is_polling_call(std::string_view name) {
  return name == "Sleep" || name == "PeekConsoleInputW" || name == "GetLocalTime";
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

std::int16_t narrow(int value) {
  return static_cast<std::int16_t>(value);
}

} // namespace

MemoryConsole::MemoryConsole() : MemoryConsole(Config{}) {}

MemoryConsole::MemoryConsole(Config config)
    : config_(std::move(config)),
      model_({.size = Coord{config_.columns, config_.rows},
              .blank = ScreenCell{u' ', config_.initial_attributes, true},
              .window = config_.window.value_or(
                  SmallRect{0, 0, narrow(config_.columns - 1), narrow(config_.rows - 1)}),
              .cursor = config_.cursor,
              .attributes = config_.initial_attributes,
              .cursor_info = config_.cursor_info}),
      title_(config_.title), system_menu_(initial_system_menu()),
      terminal_menu_(initial_system_menu()) {
  modes_[kConsoleInput] = kDefaultInputMode;
  modes_[kStdOutput] = kDefaultOutputMode;
}

// Whatever the runtime under test leaked is counted by the tests and
// released with the console.
MemoryConsole::~MemoryConsole() = default;

void MemoryConsole::log(std::string_view name) {
  if (name == config_.stop_at_call) {
    throw MemoryConsoleStop{MemoryConsoleStop::Reason::stopped_at_call, 0};
  }
  auto counted = call_counts_.find(name);
  if (counted == call_counts_.end()) {
    counted = call_counts_.emplace(std::string(name), 0).first;
  }
  ++counted->second;
  if (is_polling_call(name)) {
    for (auto it = calls_.rbegin(); it != calls_.rend() && is_polling_call(*it); ++it) {
      if (*it == name) {
        return;
      }
    }
  }
  calls_.emplace_back(name);
}

std::size_t MemoryConsole::count_calls(std::string_view name) const {
  auto found = call_counts_.find(name);
  return found == call_counts_.end() ? 0 : found->second;
}

// --- Observation and set-up ------------------------------------------------

CharInfo MemoryConsole::cell(int column, int row) const {
  if (!model_.buffer().contains(Coord{narrow(column), narrow(row)})) {
    return CharInfo{u'\0', 0};
  }
  const ScreenCell& cell = model_.buffer().at(column, row);
  return CharInfo{cell.character, cell.attributes};
}

std::u16string MemoryConsole::row_text(int row) const {
  std::u16string text;
  if (row < 0 || row >= size().y) {
    return text;
  }
  for (int column = 0; column < size().x; ++column) {
    text.push_back(cell(column, row).character);
  }
  return text;
}

void MemoryConsole::set_cell(int column, int row, CharInfo cell) {
  SmallRect region{narrow(column), narrow(row), narrow(column), narrow(row)};
  model_.write(&cell, Coord{1, 1}, Coord{0, 0}, region);
}

void MemoryConsole::write_text(int column, int row, std::u16string_view text,
                               std::uint16_t attributes) {
  for (char16_t unit : text) {
    set_cell(column++, row, CharInfo{unit, attributes});
  }
}

std::optional<std::uint32_t> MemoryConsole::console_mode(Handle handle) const {
  Handle key = kNullHandle;
  if (is_input(handle)) {
    key = kConsoleInput;
  } else if (is_screen(handle)) {
    key = kStdOutput;
  } else {
    return std::nullopt;
  }
  return modes_.at(key);
}

bool MemoryConsole::menu_has_close() const {
  return close_item_position().has_value();
}

std::optional<std::size_t> MemoryConsole::close_item_position() const {
  for (std::size_t i = 0; i < system_menu_.size(); ++i) {
    if (system_menu_[i].id == kScClose) {
      return i;
    }
  }
  return std::nullopt;
}

// --- Process -----------------------------------------------------------------

bool MemoryConsole::get_version_ex(OsVersionInfo& info) {
  log("GetVersionExA");
  if (failures_.version_query ||
      (info.size != kVersionInfoSizeA && info.size != kVersionInfoExSizeA)) {
    return false;
  }
  info.major_version = 10;
  info.minor_version = 0;
  info.build_number = 19045;
  info.platform_id = config_.platform_id;
  std::fill(std::begin(info.service_pack), std::end(info.service_pack), '\0');
  return true;
}

void MemoryConsole::get_startup_info(StartupInfo& info) {
  log("GetStartupInfoA");
  info = config_.startup;
}

const char16_t* MemoryConsole::get_command_line() {
  log("GetCommandLineW");
  return config_.command_line.c_str();
}

Handle MemoryConsole::get_module_handle() {
  log("GetModuleHandleW");
  return kModule;
}

void MemoryConsole::exit_process(std::uint32_t exit_code) {
  log("ExitProcess");
  exit_code_ = exit_code;
  throw MemoryConsoleStop{MemoryConsoleStop::Reason::exited, exit_code};
}

// --- Memory and threads ----------------------------------------------------

void* MemoryConsole::global_alloc_zeroed(std::size_t bytes) {
  log("GlobalAlloc");
  if (failures_.global_allocs_left == 0) {
    return nullptr;
  }
  if (failures_.global_allocs_left > 0) {
    --failures_.global_allocs_left;
  }
  Block block(new (std::nothrow) unsigned char[std::max<std::size_t>(bytes, 1)]());
  void* address = block.get();
  if (address != nullptr) {
    global_blocks_.emplace(address, std::move(block));
  }
  return address;
}

void* MemoryConsole::global_free(void* block) {
  log("GlobalFree");
  if (block == nullptr) {
    return nullptr;
  }
  if (failures_.global_free || global_blocks_.erase(block) == 0) {
    return block;
  }
  return nullptr;
}

std::uint32_t MemoryConsole::tls_alloc() {
  log("TlsAlloc");
  if (failures_.tls_alloc) {
    return kTlsOutOfIndexes;
  }
  std::uint32_t index = next_tls_index_++;
  tls_slots_[index] = nullptr;
  return index;
}

void* MemoryConsole::tls_get_value(std::uint32_t index) {
  log("TlsGetValue");
  auto found = tls_slots_.find(index);
  return found == tls_slots_.end() ? nullptr : found->second;
}

bool MemoryConsole::tls_set_value(std::uint32_t index, void* value) {
  log("TlsSetValue");
  auto found = tls_slots_.find(index);
  if (found == tls_slots_.end()) {
    return false;
  }
  found->second = value;
  return true;
}

bool MemoryConsole::tls_free(std::uint32_t index) {
  log("TlsFree");
  return tls_slots_.erase(index) != 0;
}

// --- Console set-up ----------------------------------------------------------

bool MemoryConsole::is_screen(Handle console) const {
  return (console == kStdOutput && config_.stdout_is_console) ||
         (console == kStdError && config_.stderr_is_console);
}

bool MemoryConsole::is_input(Handle console) const {
  // The console input device is always there; standard input is it only
  // when not redirected.
  return console == kConsoleInput || (console == kStdInput && config_.stdin_is_console);
}

Handle MemoryConsole::get_std_handle(StdHandle which) {
  log("GetStdHandle");
  switch (which) {
  case StdHandle::input:
    return kStdInput;
  case StdHandle::output:
    return kStdOutput;
  case StdHandle::error:
    return kStdError;
  }
  return kInvalidHandle;
}

Handle MemoryConsole::create_file(const char* name, std::uint32_t access, std::uint32_t share,
                                  std::uint32_t disposition, std::uint32_t flags) {
  log("CreateFileA");
  std::string_view text = name == nullptr ? std::string_view{} : std::string_view{name};
  create_file_calls_.push_back(
      CreateFileRecord{std::string(text), access, share, disposition, flags});
  if (!equal_ignoring_case(text, "CONIN$") || disposition != kOpenExisting) {
    return kInvalidHandle;
  }
  open_handles_.insert(kConsoleInput);
  return kConsoleInput;
}

bool MemoryConsole::get_console_mode(Handle console, std::uint32_t& mode) {
  log("GetConsoleMode");
  std::optional<std::uint32_t> current = console_mode(console);
  if (!current) {
    return false;
  }
  mode = *current;
  return true;
}

bool MemoryConsole::set_console_mode(Handle console, std::uint32_t mode) {
  log("SetConsoleMode");
  if (is_input(console)) {
    modes_[kConsoleInput] = mode;
    return true;
  }
  if (is_screen(console)) {
    modes_[kStdOutput] = mode;
    return true;
  }
  return false;
}

bool MemoryConsole::set_console_ctrl_handler(CtrlHandler handler, bool add) {
  log("SetConsoleCtrlHandler");
  if (handler == nullptr) {
    return true; // the ignore-Ctrl+C flag, which nothing here observes
  }
  if (add) {
    ctrl_handler_ = handler;
    return true;
  }
  if (ctrl_handler_ != handler) {
    return false;
  }
  ctrl_handler_ = nullptr;
  return true;
}

// --- Console window ----------------------------------------------------------

std::uint32_t MemoryConsole::get_console_title(char16_t* buffer, std::uint32_t size) {
  log("GetConsoleTitleW");
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  auto units = static_cast<std::uint32_t>(std::min<std::size_t>(title_.size(), size - 1));
  std::copy_n(title_.begin(), units, buffer);
  buffer[units] = u'\0';
  return units;
}

bool MemoryConsole::set_console_title(const char16_t* title) {
  log("SetConsoleTitleW");
  if (failures_.set_title) {
    return false;
  }
  title_ = title == nullptr ? std::u16string{} : std::u16string{title};
  titles_set_.push_back(title_);
  return true;
}

Handle MemoryConsole::find_window(const char16_t* title) {
  log("FindWindowW");
  if (title == nullptr || title_ != title) {
    return kNullHandle;
  }
  if (config_.terminal_window) {
    return kTerminalWindow;
  }
  return config_.has_window ? kWindow : kNullHandle;
}

Handle MemoryConsole::get_console_window() {
  log("GetConsoleWindow");
  return config_.has_window ? kWindow : kNullHandle;
}

std::vector<MenuItem>* MemoryConsole::menu_items(Handle menu) {
  if (menu == kSystemMenu) {
    return &system_menu_;
  }
  if (menu == kTerminalMenu) {
    return &terminal_menu_;
  }
  return nullptr;
}

Handle MemoryConsole::get_system_menu(Handle window, bool revert) {
  log("GetSystemMenu");
  Handle menu = kNullHandle;
  if (window == kWindow) {
    menu = kSystemMenu;
  } else if (window == kTerminalWindow && config_.terminal_window) {
    menu = kTerminalMenu;
  } else {
    return kNullHandle;
  }
  if (revert) {
    *menu_items(menu) = initial_system_menu();
    return kNullHandle;
  }
  return menu;
}

bool MemoryConsole::delete_menu(Handle menu, std::uint32_t position, std::uint32_t flags) {
  log("DeleteMenu");
  std::vector<MenuItem>* items = menu_items(menu);
  if (items == nullptr) {
    return false;
  }
  if ((flags & kMfByPosition) != 0) {
    if (position >= items->size()) {
      return false;
    }
    items->erase(items->begin() + position);
    return true;
  }
  auto found = std::find_if(items->begin(), items->end(),
                            [position](const MenuItem& item) { return item.id == position; });
  if (found == items->end()) {
    return false;
  }
  items->erase(found);
  return true;
}

bool MemoryConsole::insert_menu(Handle menu, std::uint32_t position, std::uint32_t flags,
                                std::uintptr_t item_id, const char16_t* text) {
  log("InsertMenuW");
  std::vector<MenuItem>* items = menu_items(menu);
  if (items == nullptr) {
    return false;
  }
  MenuItem item{static_cast<std::uint32_t>(item_id), text == nullptr ? u"" : text};
  if ((flags & kMfByPosition) != 0) {
    // A position past the end (-1 included) appends, as Windows does.
    std::size_t at = std::min<std::size_t>(position, items->size());
    items->insert(items->begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return true;
  }
  auto found = std::find_if(items->begin(), items->end(),
                            [position](const MenuItem& entry) { return entry.id == position; });
  if (found == items->end()) {
    return false;
  }
  items->insert(found, std::move(item));
  return true;
}

bool MemoryConsole::draw_menu_bar(Handle window) {
  log("DrawMenuBar");
  return window == kWindow || (window == kTerminalWindow && config_.terminal_window);
}

bool MemoryConsole::get_window_rect(Handle window, WindowRect& rect) {
  log("GetWindowRect");
  if (window != kWindow) {
    return false;
  }
  rect = window_rect_;
  return true;
}

bool MemoryConsole::set_window_pos(Handle window, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height) {
  log("SetWindowPos");
  if (window != kWindow) {
    return false;
  }
  window_rect_ = WindowRect{x, y, x + width, y + height};
  return true;
}

bool MemoryConsole::set_foreground_window(Handle window) {
  log("SetForegroundWindow");
  return window == kWindow;
}

bool MemoryConsole::lock_window_update(Handle window) {
  log("LockWindowUpdate");
  return window == kWindow || window == kNullHandle;
}

// --- Screen --------------------------------------------------------------------

bool MemoryConsole::get_console_screen_buffer_info(Handle console, ScreenBufferInfo& info) {
  log("GetConsoleScreenBufferInfo");
  if (!is_screen(console)) {
    return false;
  }
  info.size = size();
  info.cursor_position = model_.cursor();
  info.attributes = model_.attributes();
  info.window = model_.window();
  info.maximum_window_size = size();
  return true;
}

bool MemoryConsole::write_console_output(Handle console, const CharInfo* buffer, Coord buffer_size,
                                         Coord buffer_coord, SmallRect& region) {
  log("WriteConsoleOutputW");
  return is_screen(console) && model_.write(buffer, buffer_size, buffer_coord, region);
}

bool MemoryConsole::read_console_output(Handle console, CharInfo* buffer, Coord buffer_size,
                                        Coord buffer_coord, SmallRect& region) {
  log("ReadConsoleOutputW");
  return is_screen(console) && model_.read(buffer, buffer_size, buffer_coord, region);
}

bool MemoryConsole::set_console_cursor_position(Handle console, Coord position) {
  log("SetConsoleCursorPosition");
  return is_screen(console) && model_.set_cursor(position);
}

bool MemoryConsole::scroll_console_screen_buffer(Handle console, const SmallRect& scroll,
                                                 const SmallRect* clip, Coord destination,
                                                 const CharInfo& fill) {
  log("ScrollConsoleScreenBufferW");
  return is_screen(console) && model_.scroll(scroll, clip, destination, fill);
}

bool MemoryConsole::set_console_text_attribute(Handle console, std::uint16_t attributes) {
  log("SetConsoleTextAttribute");
  if (!is_screen(console)) {
    return false;
  }
  model_.set_attributes(attributes);
  return true;
}

bool MemoryConsole::fill_console_output_attribute(Handle console, std::uint16_t attributes,
                                                  std::uint32_t length, Coord start,
                                                  std::uint32_t& written) {
  log("FillConsoleOutputAttribute");
  written = 0;
  return is_screen(console) && model_.fill_attributes(attributes, length, start, written);
}

bool MemoryConsole::fill_console_output_character(Handle console, char character,
                                                  std::uint32_t length, Coord start,
                                                  std::uint32_t& written) {
  log("FillConsoleOutputCharacterA");
  written = 0;
  // The 8-bit character goes through the code page as the console would.
  return is_screen(console) &&
         model_.fill_characters(ansi_to_unit(character), length, start, written);
}

bool MemoryConsole::get_console_cursor_info(Handle console, CursorInfo& info) {
  log("GetConsoleCursorInfo");
  if (!is_screen(console) || (console == kStdOutput && failures_.cursor_info_output) ||
      (console == kStdError && failures_.cursor_info_error)) {
    return false;
  }
  info = model_.cursor_info();
  return true;
}

bool MemoryConsole::set_console_cursor_info(Handle console, const CursorInfo& info) {
  log("SetConsoleCursorInfo");
  return is_screen(console) && model_.set_cursor_info(info);
}

bool MemoryConsole::set_console_screen_buffer_size(Handle console, Coord size) {
  log("SetConsoleScreenBufferSize");
  return is_screen(console) &&
         model_.set_buffer_size(size, ScreenCell{u' ', model_.attributes(), true});
}

bool MemoryConsole::set_console_window_info(Handle console, bool absolute,
                                            const SmallRect& window) {
  log("SetConsoleWindowInfo");
  return is_screen(console) && model_.set_window(model_.window_asked(absolute, window));
}

// --- Other ---------------------------------------------------------------------

std::int32_t MemoryConsole::message_box(Handle owner, const char* text, const char* caption,
                                        std::uint32_t type) {
  log("MessageBoxA");
  message_boxes_.push_back(MessageBoxRecord{owner, text == nullptr ? "" : text,
                                            caption == nullptr ? "" : caption, type});
  return 1; // IDOK
}

void MemoryConsole::co_initialize() {
  log("CoInitialize");
  ++com_depth_;
}

void MemoryConsole::co_uninitialize() {
  log("CoUninitialize");
  if (com_depth_ > 0) {
    --com_depth_;
  }
}

void MemoryConsole::variant_clear(void* /*variant*/) {
  log("VariantClear");
}

bool MemoryConsole::close_handle(Handle handle) {
  log("CloseHandle");
  if (open_handles_.erase(handle) != 0) {
    return true;
  }
  return handle == kStdInput || handle == kStdOutput || handle == kStdError;
}

bool MemoryConsole::find_close(Handle handle) {
  log("FindClose");
  return open_handles_.erase(handle) != 0;
}

} // namespace platform
