// Start-up, shutdown and run-time errors, over the memory console: the order
// of the platform calls, the refusals and failures that end the process
// early, what program_main receives, and that a normal run leaves nothing
// behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/data_image.h"
#include "runtime/errors.h"
#include "runtime/memory.h"
#include "runtime/number.h"
#include "runtime/startup.h"
#include "runtime/state.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::MemoryConsole;
using platform::MemoryConsoleStop;
using Reason = MemoryConsoleStop::Reason;

constexpr std::array kLiterals = {ansi_literal("Hello"), wide_literal(u"\x1b"),
                                  ansi_literal("\xB7")};
constexpr auto kSection = build_data_section<section_size(kLiterals)>(kLiterals);
constexpr std::uint32_t kEmptyTable[] = {0};

// What the test program saw when it was called.
struct MainCall {
  int count = 0;
  platform::Handle instance = 0;
  platform::Handle previous = 1;
  std::u16string tail;
  std::int32_t show = 0;
  std::size_t calls_before = 0;
  RuntimeState state;
  platform::CtrlHandler handler = nullptr;
  bool close_in_menu = true;
  std::vector<platform::MenuItem> terminal_menu;
};

// The test program's main routine records its call here and then runs the
// test's body, whose result becomes the exit code.
MainCall g_main;
std::function<std::int32_t()> g_body;

std::int32_t recording_main(platform::Handle instance, platform::Handle previous,
                            const char16_t* tail, std::int32_t show) {
  RuntimeFrame frame;
  auto& console = static_cast<MemoryConsole&>(runtime_platform());
  ++g_main.count;
  g_main.instance = instance;
  g_main.previous = previous;
  g_main.tail = tail;
  g_main.show = show;
  g_main.calls_before = console.calls().size();
  g_main.state = runtime_state();
  g_main.handler = console.ctrl_handler();
  g_main.close_in_menu = console.menu_has_close();
  g_main.terminal_menu = console.terminal_menu();
  return g_body ? g_body() : 0;
}

ProgramDefinition test_program(std::uint16_t options = 0x0080) {
  ProgramDefinition program;
  program.data_section = kSection;
  program.options = options;
  program.global_release_table = kEmptyTable;
  program.thread_release_table = kEmptyTable;
  program.main = recording_main;
  return program;
}

class StartupTest : public ::testing::Test {
protected:
  StartupTest() { reset(); }
  ~StartupTest() override { reset(); }

  static void reset() {
    g_main = MainCall{};
    g_body = nullptr;
  }

  MemoryConsoleStop run(MemoryConsole& console, const ProgramDefinition& program) {
    return run_program(console, program);
  }

  static std::vector<std::string> calls_between(const MemoryConsole& console, std::size_t from,
                                                std::size_t to) {
    const auto& calls = console.calls();
    return {calls.begin() + static_cast<std::ptrdiff_t>(from),
            calls.begin() + static_cast<std::ptrdiff_t>(to)};
  }
};

TEST_F(StartupTest, StartUpPreparesTheConsoleInOrderAndCallsMainOnce) {
  MemoryConsole console;
  const MemoryConsoleStop stop = run(console, test_program());
  EXPECT_EQ(stop.reason, Reason::exited);
  EXPECT_EQ(stop.exit_code, 0U);
  ASSERT_EQ(g_main.count, 1);

  const std::vector<std::string> start_up = {
      "GetVersionExA",         "GetStdHandle",     "GetStdHandle",     "GetStdHandle",
      "CreateFileA",           "GetConsoleMode",   "SetConsoleMode",   "GetConsoleMode",
      "SetConsoleMode",        "GetConsoleTitleW", "SetConsoleTitleW", "Sleep",
      "FindWindowW",           "SetConsoleTitleW", "GetConsoleWindow", "GetSystemMenu",
      "SetConsoleCtrlHandler", "DeleteMenu",       "DrawMenuBar",      "GetConsoleCursorInfo",
      "GetStartupInfoA",       "GetCommandLineW",  "GetModuleHandleW", "TlsAlloc",
      "TlsGetValue",           "GlobalAlloc",      "TlsSetValue",      "CoInitialize"};
  EXPECT_EQ(calls_between(console, 0, g_main.calls_before), start_up);

  const std::vector<std::string> shutdown = {
      "CloseHandle",   "TlsGetValue",           "GlobalFree",       "TlsSetValue",
      "TlsFree",       "CoUninitialize",        "GetConsoleTitleW", "SetConsoleTitleW",
      "Sleep",         "FindWindowW",           "SetConsoleTitleW", "GetConsoleWindow",
      "GetSystemMenu", "SetConsoleCtrlHandler", "InsertMenuW",      "DrawMenuBar",
      "ExitProcess"};
  EXPECT_EQ(calls_between(console, g_main.calls_before, console.calls().size()), shutdown);

  ASSERT_EQ(console.create_file_calls().size(), 1U);
  const platform::CreateFileRecord& conin = console.create_file_calls()[0];
  EXPECT_EQ(conin.name, "CONIN$");
  EXPECT_EQ(conin.access, platform::kGenericRead);
  EXPECT_EQ(conin.share, platform::kFileShareRead);
  EXPECT_EQ(conin.disposition, platform::kOpenExisting);
  EXPECT_EQ(conin.flags, 0U);
  EXPECT_EQ(console.console_mode(MemoryConsole::kStdOutput), 3U);
  EXPECT_EQ(console.console_mode(MemoryConsole::kStdInput), 0U);
}

TEST_F(StartupTest, MainReceivesTheProcessFactsAndAFreshState) {
  MemoryConsole::Config config;
  config.command_line = u"\"C:\\Program Files\\viewer.exe\"   one two";
  MemoryConsole console(config);
  run(console, test_program());
  ASSERT_EQ(g_main.count, 1);
  EXPECT_EQ(g_main.instance, MemoryConsole::kModule);
  EXPECT_EQ(g_main.previous, platform::kNullHandle);
  EXPECT_EQ(g_main.tail, u"one two");
  EXPECT_EQ(g_main.show, platform::kSwShowDefault);

  const RuntimeState& s = g_main.state;
  EXPECT_EQ(s.version_info.size, 148U);
  EXPECT_EQ(s.version_info.platform_id, platform::kPlatformWin32Nt);
  EXPECT_EQ(s.stdin_is_console, 0xFFFFFFFFU);
  EXPECT_EQ(s.stdout_is_console, 0xFFFFFFFFU);
  EXPECT_EQ(s.std_input_handle, MemoryConsole::kStdInput);
  EXPECT_EQ(s.std_output_handle, MemoryConsole::kStdOutput);
  EXPECT_EQ(s.std_error_handle, MemoryConsole::kStdError);
  EXPECT_EQ(s.output_handle, MemoryConsole::kStdOutput);
  EXPECT_EQ(s.console_input_handle, MemoryConsole::kConsoleInput);
  EXPECT_EQ(s.instance, MemoryConsole::kModule);
  EXPECT_NE(s.main_thread_record, nullptr);
  EXPECT_EQ(s.options, 0x0080);
  // The program initialisation resets what the screen output owns and
  // forgets the window looked up during start-up.
  EXPECT_EQ(s.console_window, platform::kNullHandle);
  EXPECT_EQ(s.foreground, 7);
  EXPECT_EQ(s.background, 0);
  EXPECT_EQ(s.active_page, 1);
  EXPECT_EQ(s.visible_page, 1);
  EXPECT_EQ(s.page_handles[0], MemoryConsole::kStdOutput);
  EXPECT_TRUE(std::all_of(s.page_handles.begin() + 1, s.page_handles.end(),
                          [](platform::Handle h) { return h == platform::kInvalidHandle; }));
  EXPECT_EQ(s.release_tables.globals, kEmptyTable);
  EXPECT_EQ(s.release_tables.thread_locals, kEmptyTable);
  EXPECT_NE(s.current_frame, nullptr);
  // The console guard is on while the program runs.
  EXPECT_EQ(g_main.handler, &runtime_ctrl_handler);
  EXPECT_FALSE(g_main.close_in_menu);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
std::uint16_t x87_control_word() {
  std::uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

void set_x87_control_word(std::uint16_t word) {
  __asm__ volatile("fldcw %0" : : "m"(word));
}

TEST_F(StartupTest, MainRunsInTheProgramsFloatingPointModeWhateverTheProcessHad) {
  // Exception masks, precision and rounding; the other bits are reserved.
  constexpr std::uint16_t kModeBits = 0x0F3F;
  const std::uint16_t saved = x87_control_word();
  set_x87_control_word(0x0C7F); // 24-bit precision, rounding toward zero
  std::uint16_t in_main = 0;
  Float80 number;
  g_body = [&] {
    in_main = x87_control_word();
    number = string_to_number(1, make_string8("1234567890123456789"));
    return 0;
  };
  MemoryConsole console;
  run(console, test_program());
  set_x87_control_word(saved);
  EXPECT_EQ(in_main & kModeBits, kFpuControlWord & kModeBits);
  EXPECT_EQ(number, Float80::from_signed(1234567890123456780));
}
#endif

TEST_F(StartupTest, PlatformsOtherThanNtAreRefusedBeforeAnythingElse) {
  struct Case {
    const char* name;
    std::uint32_t platform_id;
    bool query_fails;
  };
  for (const Case& c : {Case{"9x platform", platform::kPlatformWin32Windows, false},
                        Case{"failed query", platform::kPlatformWin32Nt, true}}) {
    reset();
    MemoryConsole::Config config;
    config.platform_id = c.platform_id;
    MemoryConsole console(config);
    console.failures().version_query = c.query_fails;
    const MemoryConsoleStop stop = run(console, test_program());
    EXPECT_EQ(stop.exit_code, 255U) << c.name;
    EXPECT_EQ(g_main.count, 0) << c.name;
    EXPECT_EQ(console.calls(),
              (std::vector<std::string>{"GetVersionExA", "MessageBoxA", "ExitProcess"}))
        << c.name;
    ASSERT_EQ(console.message_boxes().size(), 1U) << c.name;
    const platform::MessageBoxRecord& box = console.message_boxes()[0];
    EXPECT_EQ(box.owner, platform::kNullHandle);
    EXPECT_EQ(box.text, "Win98 No Support");
    EXPECT_EQ(box.caption, ""); // the system's default caption
    EXPECT_EQ(box.type, 0x12000U);
    EXPECT_TRUE(console.menu_has_close()) << c.name;
    EXPECT_TRUE(console.titles_set().empty()) << c.name;
  }
}

TEST_F(StartupTest, FailedThreadSetUpEndsAtOnceWithTheGuardLeftApplied) {
  struct Case {
    const char* name;
    bool tls_fails;
    int global_allocs;
  };
  for (const Case& c : {Case{"no thread-local slot", true, -1},
                        Case{"no memory for the thread record", false, 0}}) {
    reset();
    MemoryConsole console;
    console.failures().tls_alloc = c.tls_fails;
    console.failures().global_allocs_left = c.global_allocs;
    const MemoryConsoleStop stop = run(console, test_program());
    EXPECT_EQ(stop.reason, Reason::exited) << c.name;
    EXPECT_EQ(stop.exit_code, 255U) << c.name;
    EXPECT_EQ(g_main.count, 0) << c.name;
    EXPECT_FALSE(console.menu_has_close()) << c.name;
    EXPECT_EQ(console.ctrl_handler(), &runtime_ctrl_handler) << c.name;
    EXPECT_EQ(console.count_calls("CoInitialize"), 0U) << c.name;
    EXPECT_EQ(console.count_calls("InsertMenuW"), 0U) << c.name;
  }
}

TEST_F(StartupTest, FatalRunTimeErrorEndsWithoutShutdown) {
  MemoryConsole console;
  g_body = [] {
    runtime_raise_error(241);
    ADD_FAILURE() << "execution went on after a fatal error";
    return 0;
  };
  const MemoryConsoleStop stop = run(console, test_program());
  EXPECT_EQ(stop.exit_code, 255U);
  EXPECT_EQ(console.count_calls("CoUninitialize"), 0U);
  EXPECT_EQ(console.count_calls("TlsFree"), 0U);
  EXPECT_FALSE(console.menu_has_close());
  EXPECT_EQ(console.open_handles().count(MemoryConsole::kConsoleInput), 1U);
  EXPECT_EQ(console.calls().back(), "ExitProcess");
}

TEST_F(StartupTest, ErrorsBelowTheFatalRangeLetTheProgramContinue) {
  MemoryConsole console;
  g_body = [] {
    runtime_raise_error(240);
    return runtime_error_number();
  };
  const MemoryConsoleStop stop = run(console, test_program());
  EXPECT_EQ(stop.exit_code, 240U);
  EXPECT_TRUE(console.menu_has_close());
}

TEST_F(StartupTest, ShutdownPutsCloseBackAtPositionSixAndReleasesEverything) {
  MemoryConsole console;
  g_body = [] {
    // Strings made and dropped by the program leave nothing behind either.
    RuntimeString kept = make_string16(u"abc");
    return 9;
  };
  const MemoryConsoleStop stop = run(console, test_program());
  EXPECT_EQ(stop.exit_code, 9U);
  EXPECT_EQ(console.exit_code(), 9U);
  EXPECT_EQ(console.close_item_position(), 6U);
  EXPECT_EQ(console.system_menu()[6].text, u"Close");
  EXPECT_EQ(console.ctrl_handler(), nullptr);
  EXPECT_FALSE(console.com_initialized());
  EXPECT_EQ(console.live_global_blocks(), 0U);
  EXPECT_EQ(console.live_tls_slots(), 0U);
  EXPECT_EQ(console.live_strings(), 0U);
  EXPECT_TRUE(console.open_handles().empty());
  EXPECT_EQ(console.title(), u"Console");
}

TEST_F(StartupTest, OptionBit1000LeavesHandlerAndMenuAlone) {
  MemoryConsole console;
  run(console, test_program(0x1080));
  EXPECT_EQ(g_main.count, 1);
  EXPECT_TRUE(g_main.close_in_menu);
  EXPECT_EQ(g_main.handler, nullptr);
  for (const char* call : {"SetConsoleCtrlHandler", "GetSystemMenu", "DeleteMenu", "InsertMenuW",
                           "FindWindowW", "SetConsoleTitleW"}) {
    EXPECT_EQ(console.count_calls(call), 0U) << call;
  }
  EXPECT_EQ(console.close_item_position(), 6U);
}

// Under a terminal that shows the console's title in its own window, the
// lookup finds that window, another process's: its system menu keeps its
// Close item, at start-up and at shutdown. The title steps are as always.
TEST_F(StartupTest, AWindowOfAnotherProcessWithTheMarkedTitleIsLeftAlone) {
  MemoryConsole::Config config;
  config.terminal_window = true;
  MemoryConsole console(config);
  const std::vector<platform::MenuItem> untouched = console.terminal_menu();
  const MemoryConsoleStop stop = run(console, test_program());
  EXPECT_EQ(stop.exit_code, 0U);
  EXPECT_EQ(g_main.terminal_menu, untouched) << "while the program ran";
  EXPECT_EQ(console.terminal_menu(), untouched) << "after the end";
  EXPECT_EQ(console.titles_set(), (std::vector<std::u16string>{u"Console       ", u"Console",
                                                               u"Console       ", u"Console"}));
  EXPECT_EQ(console.count_calls("FindWindowW"), 2U);
}

TEST_F(StartupTest, TitleShowsSevenSpacesForTwoHundredMillisecondsAtStartAndEnd) {
  MemoryConsole::Config config;
  config.title = u"Colors";
  MemoryConsole console(config);
  run(console, test_program());
  EXPECT_EQ(console.titles_set(), (std::vector<std::u16string>{u"Colors       ", u"Colors",
                                                               u"Colors       ", u"Colors"}));
  EXPECT_EQ(g_main.state.console_window, platform::kNullHandle);
  EXPECT_EQ(console.clock_ms(), 400U);
  EXPECT_EQ(console.title(), u"Colors");
}

TEST_F(StartupTest, CommandTail) {
  struct Case {
    std::u16string line;
    std::u16string tail;
  };
  const std::vector<Case> cases = {
      {u"\"C:\\Program Files\\colorviewer.exe\"   one two", u"one two"},
      {u"colorviewer.exe word", u"word"},
      {u"colorviewer.exe", u""},
      {u"\"colorviewer.exe", u""},
      {u"\"C:\\a b\\colorviewer.exe\"", u""},
      {u"colorviewer.exe   two  words ", u"two  words "},
      {u"colorviewer.exe\targ", u"\targ"},     // a tab ends the name and is not skipped
      {u"\"colorviewer.exe\"\targ", u"\targ"}, // only U+0020 is a space
      {u"colorviewer.exe\u00A0arg", u""},      // a no-break space is part of the name
      {u"\"quoted\"next", u"next"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    reset();
    MemoryConsole::Config config;
    config.command_line = c.line;
    MemoryConsole console(config);
    run(console, test_program());
    ASSERT_EQ(g_main.count, 1);
    EXPECT_EQ(g_main.tail, c.tail) << std::string(c.line.begin(), c.line.end());
  }
}

TEST_F(StartupTest, CursorRecordFallsBackToSizeTenVisible) {
  struct Case {
    const char* name;
    bool stdout_is_console;
    std::uint32_t console_cursor_size;
    bool fail_output;
    bool fail_error;
    platform::Handle output;
    std::uint32_t size;
    std::size_t reads;
    bool handed_over;
  };
  const std::vector<Case> cases = {
      {"console answers", true, 25, false, false, MemoryConsole::kStdOutput, 25, 1, false},
      {"size 0 reported twice", true, 0, false, false, MemoryConsole::kStdOutput, 10, 2, true},
      {"both reads fail", true, 25, true, false, MemoryConsole::kStdOutput, 10, 2, true},
      {"output redirected, error reads", false, 50, false, false, MemoryConsole::kStdError, 50, 1,
       false},
      {"output redirected, error fails", false, 50, false, true, MemoryConsole::kStdError, 10, 2,
       true},
  };
  for (const Case& c : cases) {
    reset();
    MemoryConsole::Config config;
    config.stdout_is_console = c.stdout_is_console;
    config.cursor_info = platform::CursorInfo{c.console_cursor_size, 1};
    MemoryConsole console(config);
    console.failures().cursor_info_output = c.fail_output;
    console.failures().cursor_info_error = c.fail_error;
    run(console, test_program());
    ASSERT_EQ(g_main.count, 1) << c.name;
    EXPECT_EQ(g_main.state.output_handle, c.output) << c.name;
    EXPECT_EQ(g_main.state.cursor_info.size, c.size) << c.name;
    EXPECT_NE(g_main.state.cursor_info.visible, 0) << c.name;
    EXPECT_EQ(console.count_calls("GetConsoleCursorInfo"), c.reads) << c.name;
    EXPECT_EQ(console.count_calls("SetConsoleCursorInfo"), c.handed_over ? 1U : 0U) << c.name;
    if (c.handed_over) {
      EXPECT_EQ(console.cursor_info().size, 10U) << c.name;
    }
  }
}

TEST_F(StartupTest, RedirectedStandardHandles) {
  MemoryConsole::Config config;
  config.stdout_is_console = false;
  config.stdin_is_console = false;
  MemoryConsole console(config);
  run(console, test_program());
  const RuntimeState& s = g_main.state;
  EXPECT_EQ(s.output_handle, MemoryConsole::kStdError);
  EXPECT_EQ(s.stdout_is_console, 0U);
  EXPECT_EQ(s.stdin_is_console, 0U);
  EXPECT_EQ(console.console_mode(MemoryConsole::kStdError), 3U);
  // Keys still come from the console input device, whose mode stays as the
  // console had it.
  EXPECT_EQ(s.console_input_handle, MemoryConsole::kConsoleInput);
  EXPECT_NE(console.console_mode(MemoryConsole::kConsoleInput), 0U);
}

TEST_F(StartupTest, StartupInformationReplacesHandlesAndGivesTheShowCommand) {
  MemoryConsole::Config config;
  config.startup.flags = platform::kStartfUseStdHandles | platform::kStartfUseShowWindow;
  config.startup.show_window = 3;
  config.startup.std_input = 0x51;
  config.startup.std_output = 0x52;
  config.startup.std_error = 0x53;
  MemoryConsole console(config);
  run(console, test_program());
  const RuntimeState& s = g_main.state;
  EXPECT_EQ(s.std_input_handle, 0x51U);
  EXPECT_EQ(s.std_output_handle, 0x52U);
  EXPECT_EQ(s.std_error_handle, 0x53U);
  EXPECT_EQ(s.output_handle, MemoryConsole::kStdOutput); // not chosen again
  EXPECT_EQ(g_main.show, 3);
}

// A COM-style object whose Release the global release table must call.
struct FakeInterface {
  using Method = std::uint32_t (*)(void*);
  const Method* table;
  int releases = 0;
};

std::uint32_t fake_release(void* object) {
  ++static_cast<FakeInterface*>(object)->releases;
  return 0;
}

constexpr FakeInterface::Method kFakeTable[] = {nullptr, nullptr, fake_release};

TEST_F(StartupTest, ShutdownWalksTheGlobalReleaseTable) {
  // Interface at 0xA00, string at 0xA08, variant at 0xA10; the first two
  // are empty slots that are skipped.
  static constexpr std::uint32_t kGlobals[] = {0xA00 | 0, 0xA08 | 2, 0xA10 | 3,
                                               0x9F0 | 0, 0x9F8 | 2, 0};
  static FakeInterface object{kFakeTable, 0};
  object.releases = 0;
  ProgramDefinition program = test_program();
  program.global_release_table = kGlobals;
  MemoryConsole console;
  g_body = [] {
    std::uint8_t* section = runtime_state().data_section.data();
    void* interface = &object;
    void* text = runtime_platform().sys_alloc_string_len(u"held", 4);
    std::memcpy(section + 0xA00, &interface, sizeof interface);
    std::memcpy(section + 0xA08, &text, sizeof text);
    return 0;
  };
  run(console, program);
  EXPECT_EQ(object.releases, 1);
  EXPECT_EQ(console.live_strings(), 0U);
  EXPECT_EQ(console.count_calls("VariantClear"), 1U);
}

TEST_F(StartupTest, ThreadRecordSlotsAreClosedWhenTheRecordIsReleased) {
  MemoryConsole console;
  g_body = [] {
    ThreadRecord* record = runtime_thread_record();
    record->file_handle = runtime_platform().create_file(
        "CONIN$", platform::kGenericRead, platform::kFileShareRead, platform::kOpenExisting, 0);
    record->find_handle = 0x77;
    return 0;
  };
  run(console, test_program());
  EXPECT_EQ(console.count_calls("CloseHandle"), 2U);
  EXPECT_EQ(console.count_calls("FindClose"), 1U);
  EXPECT_EQ(console.live_global_blocks(), 0U);
}

// --- Inside a running program ------------------------------------------------

using ErrorTest = RuntimeTest;

TEST_F(ErrorTest, ErrorsAreRecordedInTheLowByteAndZeroBecomes51) {
  struct Case {
    std::int32_t raised;
    int recorded;
  };
  for (Case c : {Case{7, 7}, Case{0, 51}, Case{240, 240}, Case{5, 5}}) {
    state().current_frame->error_word = 0x8100;
    runtime_raise_error(c.raised);
    EXPECT_EQ(state().current_frame->error_word, 0x8100 | c.recorded) << c.raised;
  }
  EXPECT_FALSE(console.exit_code().has_value());
}

TEST_F(ErrorTest, CheckedVariantRaisesFiveOutsideTheRange) {
  struct Case {
    std::int32_t raised;
    int recorded;
  };
  for (Case c :
       {Case{1, 1}, Case{240, 240}, Case{0, 5}, Case{-1, 5}, Case{256, 5}, Case{0x10007, 5}}) {
    runtime_clear_error();
    runtime_raise_error_checked(c.raised);
    EXPECT_EQ(error(), c.recorded) << c.raised;
  }
}

TEST_F(ErrorTest, ReadTakeClearAndSetTouchOnlyTheErrorByte) {
  state().current_frame->error_word = 0x4000;
  runtime_set_error(300); // no raise: the low byte as it comes
  EXPECT_EQ(runtime_error_number(), 300 & 0xFF);
  runtime_set_error(250); // setting never ends the process
  EXPECT_EQ(runtime_take_error(), 250);
  EXPECT_EQ(runtime_error_number(), 0);
  EXPECT_EQ(state().current_frame->error_word, 0x4000);
  runtime_raise_error(9);
  runtime_clear_error();
  EXPECT_EQ(error(), 0);
  EXPECT_FALSE(console.exit_code().has_value());
}

TEST_F(ErrorTest, FatalNumbersEndTheProcessWith255) {
  for (std::int32_t number : {241, 255}) {
    try {
      runtime_raise_error(number);
      ADD_FAILURE() << number << " did not end the process";
    } catch (const MemoryConsoleStop& stop) {
      EXPECT_EQ(stop.exit_code, 255U);
      EXPECT_EQ(error(), number);
    }
  }
}

TEST_F(ErrorTest, HeapOperationsReportFailuresWithoutRaising) {
  console.failures().global_allocs_left = 0;
  AllocResult failed = runtime_alloc(32);
  EXPECT_EQ(failed.block, nullptr);
  EXPECT_EQ(failed.error, kErrorOutOfMemory);
  console.failures().global_allocs_left = -1;
  AllocResult block = runtime_alloc(32);
  ASSERT_NE(block.block, nullptr);
  EXPECT_EQ(block.error, 0);
  console.failures().global_free = true;
  EXPECT_EQ(runtime_free(block.block), kErrorFatalFirst);
  console.failures().global_free = false;
  EXPECT_EQ(runtime_free(block.block), 0);
  EXPECT_EQ(runtime_free(nullptr), 0);
  EXPECT_EQ(error(), 0);
}

TEST_F(ErrorTest, ThreadRecordIsMadeOnceAndReleasedToAnEmptySlot) {
  ThreadRecord* record = runtime_thread_record();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record, state().main_thread_record);
  EXPECT_EQ(runtime_thread_record(), record);
  EXPECT_EQ(record->code_page, 0U);
  const std::size_t blocks = console.live_global_blocks();
  runtime_release_thread_record();
  EXPECT_EQ(console.live_global_blocks(), blocks - 1);
  EXPECT_EQ(console.tls_get_value(state().tls_index), nullptr);
  // Asked again, the thread gets a new record; the fixture releases it.
  EXPECT_NE(runtime_thread_record(), nullptr);
}

TEST_F(ErrorTest, ConsoleWindowIsLookedUpOnceAndThenCached) {
  EXPECT_EQ(runtime_console_window(), MemoryConsole::kWindow);
  EXPECT_EQ(runtime_console_window(), MemoryConsole::kWindow);
  EXPECT_EQ(console.count_calls("FindWindowW"), 1U);
  EXPECT_EQ(console.count_calls("Sleep"), 1U);
  EXPECT_EQ(console.clock_ms(), 200U);
  EXPECT_EQ(console.titles_set(), (std::vector<std::u16string>{u"Console       ", u"Console"}));
}

TEST_F(ErrorTest, ConsoleWindowLookupNeitherWaitsNorSearchesWhenTheTitleCannotBeMarked) {
  console.failures().set_title = true;
  EXPECT_EQ(runtime_console_window(), platform::kNullHandle);
  EXPECT_EQ(console.count_calls("Sleep"), 0U);
  EXPECT_EQ(console.count_calls("FindWindowW"), 0U);
  EXPECT_EQ(console.clock_ms(), 0U);
}

class LongTitleTest : public RuntimeTest {
protected:
  LongTitleTest() : RuntimeTest(long_title()) {}
  static std::u16string title() {
    std::u16string text;
    for (int i = 0; i < 600; ++i) {
      text.push_back(static_cast<char16_t>(u'a' + i % 26));
    }
    return text;
  }
  static MemoryConsole::Config long_title() {
    MemoryConsole::Config config;
    config.title = title();
    return config;
  }
};

TEST_F(LongTitleTest, TitleLongerThanTheFirstBufferIsRestoredWhole) {
  EXPECT_EQ(runtime_console_window(), MemoryConsole::kWindow);
  EXPECT_EQ(console.title(), title());
  ASSERT_EQ(console.titles_set().size(), 2U);
  EXPECT_EQ(console.titles_set()[0], title() + u"       ");
}

class WindowlessTest : public RuntimeTest {
protected:
  WindowlessTest() : RuntimeTest(windowless()) {}
  static MemoryConsole::Config windowless() {
    MemoryConsole::Config config;
    config.has_window = false;
    return config;
  }
};

TEST_F(WindowlessTest, NoWindowIsLookedForAgainAtEachNeed) {
  EXPECT_EQ(runtime_console_window(), platform::kNullHandle);
  EXPECT_EQ(runtime_console_window(), platform::kNullHandle);
  EXPECT_EQ(console.count_calls("FindWindowW"), 2U);
  EXPECT_EQ(console.title(), u"Console");
}

TEST(CtrlHandler, HandlesCtrlCBreakAndCloseOnly) {
  for (std::uint32_t event : {0U, 1U, 2U}) {
    EXPECT_EQ(runtime_ctrl_handler(event), 1) << event;
  }
  for (std::uint32_t event : {3U, 4U, 5U, 6U, 100U}) {
    EXPECT_EQ(runtime_ctrl_handler(event), 0) << event;
  }
}

} // namespace
