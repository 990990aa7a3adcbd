// The Windows backend against the real Win32 API (run under Wine by the
// Windows test stage): the registry store, the popup menu as Windows holds
// it, the locale's long date against Windows' own formatting, the window's
// message loop from show to destroy, what the window hears of who can see it,
// and the picture it copies for the screen.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/region.h"
#include "calendar/date_format.h"
#include "calendar/date_time.h"
#include "platform/win32/layered_surface.h"
#include "platform/win32/locale_date.h"
#include "platform/win32/popup_menu.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"
#include "platform/win32/visibility.h"
#include "platform/win32/win32_platform.h"
#include "settings/choices.h"
#include "settings/menu.h"

namespace gd::win32 {
namespace {

// --- The registry store --------------------------------------------------------

constexpr const wchar_t* kTestRoot = L"Software\\GlimmerdomeTests";
constexpr const wchar_t* kTestSettings = L"Software\\GlimmerdomeTests\\Settings";
constexpr const wchar_t* kTestRun = L"Software\\GlimmerdomeTests\\Run";

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }

  static void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestSettings, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // The type and bytes of a value as Windows holds it.
  static bool Get(const wchar_t* path, const wchar_t* name, DWORD* type, std::vector<BYTE>* data) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_ANY | RRF_NOEXPAND, type, nullptr, &size) !=
        ERROR_SUCCESS)
      return false;
    data->resize(size);
    return RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_ANY | RRF_NOEXPAND, type, data->data(), &size) ==
           ERROR_SUCCESS;
  }
  static bool KeyExists(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  RegistrySettingsStore store{kTestSettings, kTestRun, L"Glimmerdome"};
};

TEST_F(RegistryStoreTest, ReadingCreatesTheMissingKeyAndFindsNothing) {
  EXPECT_EQ(store.Read("OnTop").kind, SettingsStore::ValueKind::Missing);
  EXPECT_TRUE(KeyExists(kTestSettings));
}

TEST_F(RegistryStoreTest, WritesEveryValueAsADwordAndReadsItBack) {
  const SettingsStore::Entry entries[] = {{"OnTop", 1},      {"TrVal", 9},  {"Top", -141},    {"Left", -71},
                                          {"iCountdown", 2}, {"iSpeed", 3}, {"isSnowOn", 0}};
  std::string failed;
  ASSERT_TRUE(store.WriteAll(entries, std::size(entries), &failed));
  for (const auto& e : entries) {
    const std::wstring name = Widen(e.name);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Get(kTestSettings, name.c_str(), &type, &data)) << e.name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << e.name;
    ASSERT_EQ(data.size(), 4u) << e.name;
    const SettingsStore::Value v = store.Read(e.name);
    EXPECT_EQ(v.kind, SettingsStore::ValueKind::Int32) << e.name;
    EXPECT_EQ(v.value, e.value) << e.name;
  }
  // A negative position is the DWORD of its two's complement.
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(kTestSettings, L"Left", &type, &data));
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(data.data()), 0xFFFFFFB9u);
}

TEST_F(RegistryStoreTest, AValueThatIsNotAFourByteDwordIsOfTheWrongType) {
  const wchar_t text[] = L"1";
  const uint64_t qword = 1;
  const DWORD dword = 1;
  const WORD shortData = 1;
  Put(L"OnTop", REG_SZ, text, sizeof text);
  Put(L"TrVal", REG_QWORD, &qword, sizeof qword);
  Put(L"Top", REG_BINARY, &dword, sizeof dword);
  Put(L"Left", REG_DWORD, &shortData, sizeof shortData);
  Put(L"iSpeed", REG_DWORD_BIG_ENDIAN, &dword, sizeof dword);
  Put(L"iCountdown", REG_DWORD, &dword, sizeof dword);
  for (const char* name : {"OnTop", "TrVal", "Top", "Left", "iSpeed"})
    EXPECT_EQ(store.Read(name).kind, SettingsStore::ValueKind::WrongType) << name;
  EXPECT_EQ(store.Read("iCountdown").kind, SettingsStore::ValueKind::Int32);
  EXPECT_EQ(store.Read("isSnowOn").kind, SettingsStore::ValueKind::Missing);
}

TEST_F(RegistryStoreTest, AKeyThatCannotBeMadeRefusesTheFirstWriteByName) {
  // A key name is at most 255 characters long.
  RegistrySettingsStore bad{std::wstring(L"Software\\GlimmerdomeTests\\") + std::wstring(300, L'k'), kTestRun,
                            L"Glimmerdome"};
  const SettingsStore::Entry entries[] = {{"OnTop", 1}, {"TrVal", 0}};
  std::string failed;
  EXPECT_FALSE(bad.WriteAll(entries, std::size(entries), &failed));
  EXPECT_EQ(failed, "OnTop");
  // Why, once: the key and the system's reason.
  const std::string problem = bad.TakeProblem();
  EXPECT_EQ(problem.rfind("HKEY_CURRENT_USER\\Software\\GlimmerdomeTests\\kkk", 0), 0u) << problem;
  EXPECT_GT(problem.size(), 300u + 40u) << problem;
  EXPECT_EQ(bad.TakeProblem(), "");
  EXPECT_EQ(bad.Read("OnTop").kind, SettingsStore::ValueKind::Missing);
  EXPECT_NE(bad.TakeProblem(), "") << "a key that cannot be read is told too";
  EXPECT_TRUE(bad.StartsWithWindows());
}

TEST_F(RegistryStoreTest, TheStartupEntryIsThePlainPathAndGoesAway) {
  // No Run key at all: its state cannot be read.
  EXPECT_EQ(store.StartupEntryExists(), std::nullopt);
  const std::string path = "C:\\Program Files\\Glimmerdome Zo\xC3\xAB\\glimmerdome.exe";
  ASSERT_TRUE(store.SetStartupEntry(path));
  EXPECT_EQ(store.StartupEntryExists(), std::optional<bool>(true));

  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(kTestRun, L"Glimmerdome", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const std::wstring stored(reinterpret_cast<const wchar_t*>(data.data()));
  EXPECT_EQ(stored, L"C:\\Program Files\\Glimmerdome Zo\u00EB\\glimmerdome.exe");  // no quotes, no arguments

  ASSERT_TRUE(store.RemoveStartupEntry());
  EXPECT_EQ(store.StartupEntryExists(), std::optional<bool>(false));
  EXPECT_TRUE(store.RemoveStartupEntry()) << "a missing entry is no error";
}

// --- The popup menu --------------------------------------------------------------

struct ShownItem {
  std::wstring text;
  UINT type = 0, state = 0, id = 0;
  HMENU submenu = nullptr;
};

ShownItem ItemAt(HMENU menu, int position) {
  wchar_t text[128] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 127;
  GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  return {text, info.fType, info.fState, info.wID, info.hSubMenu};
}

std::vector<std::wstring> Texts(HMENU menu) {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const ShownItem item = ItemAt(menu, i);
    out.push_back(item.type & MFT_SEPARATOR ? L"-" : item.text);
  }
  return out;
}

TEST(PopupMenuTest, ShowsTheTreeWithItsMarksAndTheDefaultItem) {
  MenuModel model;
  const Choices choices;
  HMENU menu = BuildPopupMenu(ToPopupMenu(model, choices));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Texts(menu), (std::vector<std::wstring>{L"More Christmas stuff...", L"-", L"Speed of animation",
                                                    L"Size", L"Countdown", L"Options", L"-", L"Exit"}));
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u) << "the first item is the bold default";
  EXPECT_EQ(MenuItemName(ToPopupMenu(model, choices), ItemAt(menu, 0).id), "pmiAbout");
  EXPECT_EQ(MenuItemName(ToPopupMenu(model, choices), ItemAt(menu, 7).id), "pmiExit");

  HMENU speed = ItemAt(menu, 2).submenu;
  ASSERT_NE(speed, nullptr);
  EXPECT_EQ(Texts(speed), (std::vector<std::wstring>{L"Slow", L"Normal", L"Fast", L"Quickly"}));
  for (int i = 0; i < 4; ++i) {
    const ShownItem item = ItemAt(speed, i);
    EXPECT_TRUE(item.type & MFT_RADIOCHECK) << i;
    EXPECT_EQ((item.state & MFS_CHECKED) != 0, i == 2) << "only Fast is checked; item " << i;
  }

  HMENU options = ItemAt(menu, 5).submenu;
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(Texts(options), (std::vector<std::wstring>{L"Snow (for slow PC)", L"Transparent", L"Always OnTop",
                                                      L"Start Glimmerdome when I start Windows"}));
  const ShownItem snow = ItemAt(options, 0);
  EXPECT_FALSE(snow.type & MFT_RADIOCHECK) << "a check item has the tick, not the dot";
  EXPECT_TRUE(snow.state & MFS_CHECKED);
  HMENU transparent = ItemAt(options, 1).submenu;
  ASSERT_NE(transparent, nullptr);
  ASSERT_EQ(GetMenuItemCount(transparent), 10);
  EXPECT_EQ(ItemAt(transparent, 9).text, L"90%");
  EXPECT_EQ(MenuItemName(ToPopupMenu(model, choices), ItemAt(transparent, 9).id), "pmi90");
  EXPECT_EQ(MenuItemName(ToPopupMenu(model, choices), 0), "");
  EXPECT_EQ(MenuItemName(ToPopupMenu(model, choices), 1000), "");
  DestroyMenu(menu);
}

TEST(PopupMenuTest, ShowsLiveMarksAndCaptionsWithALiteralAmpersand) {
  MenuModel model;
  Choices choices;
  ChooseItem(choices, "pmiJulian");
  ChooseItem(choices, "pmiSnow");  // off
  model.SetCaption("pmiJulian", "Julian Christmas - 7 & 8");
  HMENU menu = BuildPopupMenu(ToPopupMenu(model, choices));
  HMENU countdown = ItemAt(menu, 4).submenu;
  ASSERT_NE(countdown, nullptr);
  EXPECT_FALSE(ItemAt(countdown, 0).state & MFS_CHECKED);
  EXPECT_TRUE(ItemAt(countdown, 3).state & MFS_CHECKED);
  EXPECT_EQ(ItemAt(countdown, 3).text, L"Julian Christmas - 7 && 8");
  EXPECT_FALSE(ItemAt(ItemAt(menu, 5).submenu, 0).state & MFS_CHECKED);
  DestroyMenu(menu);
}

// --- The long date ---------------------------------------------------------------

std::string WindowsLongDate(const wchar_t* locale, int year, int month, int day) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  wchar_t text[128];
  const int n = GetDateFormatEx(locale, DATE_LONGDATE, &t, nullptr, text, 128, nullptr);
  return n > 0 ? Narrow(std::wstring_view(text, static_cast<size_t>(n) - 1)) : "";
}

TEST(LocaleDateTest, TheCoreFormatsTheLongDateAsWindowsDoes) {
  // Each locale's own long date, month and day names, with genitive months.
  for (const wchar_t* locale : {L"en-US", L"en-GB", L"de-DE", L"fr-FR", L"es-ES", L"it-IT", L"nl-NL", L"pl-PL",
                                L"ru-RU", L"uk-UA", L"cs-CZ", L"ja-JP", L"zh-CN"}) {
    const LongDateFormat format = LongDateFormatOf(locale);
    for (auto [y, m, d] : {std::tuple{2026, 12, 25}, {2027, 1, 1}, {2027, 1, 7}, {2028, 2, 29}}) {
      const std::string expected = WindowsLongDate(locale, y, m, d);
      ASSERT_FALSE(expected.empty()) << Narrow(locale);
      EXPECT_EQ(FormatLongDate(*EncodeDate(y, m, d), format), expected)
          << Narrow(locale) << " " << y << "-" << m << "-" << d << ", pattern " << format.pattern;
    }
  }
}

TEST(LocaleDateTest, TheUsersOwnFormatIsRead) {
  const LongDateFormat format = LongDateFormatOf(nullptr);
  EXPECT_EQ(FormatLongDate(*EncodeDate(2026, 12, 25), format), WindowsLongDate(LOCALE_NAME_USER_DEFAULT, 2026, 12, 25));
}

// --- Texts -------------------------------------------------------------------------

TEST(SystemTextTest, ErrorTextsLoseTheirClosingStopAndLineBreak) {
  const std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(text.empty());
  const char last = text.back();
  EXPECT_TRUE(last != '.' && last != ' ' && last != '\r' && last != '\n') << text;
  // What is left is the start of the system's own text.
  wchar_t raw[256];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 ERROR_ACCESS_DENIED, 0, raw, 256, nullptr);
  EXPECT_EQ(Narrow(std::wstring_view(raw, n)).rfind(text, 0), 0u);
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "Error 805306367");
}

TEST(SystemTextTest, Utf8AndUtf16RoundTrip) {
  const std::string text = "Zo\xC3\xAB \xE2\x9D\x84 \xF0\x9F\x8E\x84";  // two-byte, three-byte and four-byte letters
  EXPECT_EQ(Widen(text), L"Zo\u00EB \u2744 \U0001F384");
  EXPECT_EQ(Narrow(Widen(text)), text);
  EXPECT_EQ(Widen(""), L"");
}

// --- The window and its loop -------------------------------------------------------

// Shows the window, then asks it to close on the third timer tick and again
// on the sixth; the close queries answer from a script.
class LoopRecorder : public WindowEvents {
 public:
  explicit LoopRecorder(Platform& p) : p_(p) {}
  void Shown() override {
    log.push_back("show");
    RECT r{};
    GetWindowRect(FindWindowW(L"TfrmMain", nullptr), &r);
    visibleAtShow = p_.IsWindowVisibleAt(r.left + 10, r.top + 10);
    p_.SetTimer(TimerId::Garland, 10);
  }
  void Tick(TimerId id) override {
    if (id != TimerId::Garland) return;
    ++ticks;
    if (ticks == 3 && endSession) {
      // The end of the desktop session asks the close query.
      HWND window = FindWindowW(L"TfrmMain", nullptr);
      sessionEndAllowed = SendMessageW(window, WM_QUERYENDSESSION, 0, 0) != 0;
    }
    if (ticks == 3 || ticks == 6) p_.CloseWindow();
  }
  void MenuItemChosen(std::string_view) override {}
  bool CloseRequested() override {
    log.push_back("closequery");
    const size_t i = log.size() - 2;
    return i < answers.size() ? answers[i] : true;
  }
  void Destroyed() override { log.push_back("destroy"); }

  bool endSession = false;
  std::vector<bool> answers;
  std::vector<std::string> log;
  int ticks = 0;
  bool visibleAtShow = false;
  std::optional<bool> sessionEndAllowed;

 private:
  Platform& p_;
};

TEST(Win32WindowTest, RunsFromShowThroughTheCloseQueryToDestroy) {
  std::string error;
  std::unique_ptr<Platform> platform = MakeWin32Platform(&error);
  ASSERT_NE(platform, nullptr) << error;
  ASSERT_TRUE(platform->MakeDesktopOrnament(&error)) << error;
  platform->SetWindowSize(40, 30);
  const Point at = platform->MoveWindow(100, 50);
  EXPECT_EQ(at.x, 100);
  EXPECT_EQ(at.y, 50);
  const Platform::LentBuffer buffer = platform->LendBuffer(40, 30, 255);
  ASSERT_NE(buffer.pixels, nullptr);
  std::fill(buffer.pixels, buffer.pixels + buffer.stride * 30, uint8_t{255});  // opaque white
  EXPECT_TRUE(platform->PresentFrame(buffer, WholeRows(40, 30), WholeRows(40, 30)));

  LoopRecorder events(*platform);
  EXPECT_EQ(platform->RunMessageLoop(events), 0);
  EXPECT_TRUE(events.visibleAtShow);
  EXPECT_EQ(events.ticks, 3);
  EXPECT_EQ(events.log, (std::vector<std::string>{"show", "closequery", "destroy"}));
}

TEST(Win32WindowTest, ACloseQueryThatSaysNoKeepsTheWindowRunning) {
  std::string error;
  std::unique_ptr<Platform> platform = MakeWin32Platform(&error);
  ASSERT_NE(platform, nullptr) << error;
  LoopRecorder events(*platform);
  events.answers = {false};
  EXPECT_EQ(platform->RunMessageLoop(events), 0);
  EXPECT_EQ(events.ticks, 6);
  EXPECT_EQ(events.log, (std::vector<std::string>{"show", "closequery", "closequery", "destroy"}));
}

TEST(Win32WindowTest, TheEndOfTheSessionRunsTheCloseQuery) {
  std::string error;
  std::unique_ptr<Platform> platform = MakeWin32Platform(&error);
  ASSERT_NE(platform, nullptr) << error;
  LoopRecorder events(*platform);
  events.endSession = true;
  events.answers = {false, true};
  EXPECT_EQ(platform->RunMessageLoop(events), 0);
  EXPECT_EQ(events.sessionEndAllowed, std::optional<bool>(false));
  EXPECT_EQ(events.log, (std::vector<std::string>{"show", "closequery", "closequery", "destroy"}));
}

TEST(Win32WindowTest, TheScreenAndTheClocksAnswer) {
  std::string error;
  std::unique_ptr<Platform> platform = MakeWin32Platform(&error);
  ASSERT_NE(platform, nullptr) << error;
  const std::vector<Monitor> monitors = platform->Monitors();
  ASSERT_FALSE(monitors.empty());
  for (const Monitor& m : monitors) {
    EXPECT_FALSE(m.workArea.Empty());
    EXPECT_EQ(m.bounds.United(m.workArea), m.bounds) << "the work area lies within the monitor";
  }
  EXPECT_TRUE(platform->PerformanceCounter().has_value());
  const LocalDateTime now = platform->LocalTime();
  EXPECT_TRUE(IsValidDate(now.year, now.month, now.day));
  const std::string exe = platform->ExecutablePath();
  EXPECT_NE(exe.find("glimmer_tests.exe"), std::string::npos) << exe;
  EXPECT_EQ(exe.find('"'), std::string::npos);
}

// --- Who can see the window ------------------------------------------------------

TEST(VisibilityTest, RectanglesCoverOnlyWithoutAGap) {
  const Rect target{10, 10, 110, 60};
  EXPECT_TRUE(RectanglesCover({{0, 0, 200, 200}}, target));
  EXPECT_TRUE(RectanglesCover({{0, 0, 60, 200}, {60, 0, 200, 35}, {50, 30, 120, 60}}, target));
  EXPECT_FALSE(RectanglesCover({{0, 0, 60, 200}, {61, 0, 200, 200}}, target)) << "a column of pixels shows";
  EXPECT_FALSE(RectanglesCover({{0, 0, 200, 59}}, target)) << "a row of pixels shows";
  EXPECT_FALSE(RectanglesCover({}, target));
}

// Sends the window a power setting's new value, as Windows does.
void SendPowerSetting(HWND window, const GUID& setting, DWORD value) {
  alignas(8) unsigned char buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
  auto* message = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer);
  message->PowerSetting = setting;
  message->DataLength = sizeof value;
  std::memcpy(message->Data, &value, sizeof value);
  SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(message));
}

// Runs one step after another on the frame timer's ticks; each step waits
// until the core has heard a number of changes and some time has passed,
// at most three seconds.
class SightRecorder : public WindowEvents {
 public:
  struct Step {
    std::function<void()> act;
    size_t heardAfter;
    DWORD atLeastMs = 0;
  };
  SightRecorder(Platform& p, std::vector<Step> steps) : p_(p), steps_(std::move(steps)) {}
  void Shown() override { p_.SetTimer(TimerId::Garland, 20); }
  void Tick(TimerId id) override {
    if (id != TimerId::Garland || done_) return;
    const DWORD now = GetTickCount();
    if (!acted_) {
      steps_[step_].act();
      acted_ = true;
      since_ = now;
      return;
    }
    const Step& s = steps_[step_];
    const bool passed = heard.size() >= s.heardAfter && now - since_ >= s.atLeastMs;
    if (passed && ++step_ < steps_.size()) {
      acted_ = false;
      return;
    }
    if (passed || now - since_ > 3000) {
      done_ = true;
      p_.CloseWindow();
    }
  }
  // Seen while nothing known hides the window (the core's rule, not kept on top).
  void SightChanged(const Sight& sight) override {
    if ((sight == Sight{}) != seen_) heard.push_back(seen_ ? "unseen" : "seen");
    seen_ = (sight == Sight{});
  }
  void PowerSavingChanged(bool on) override { heard.push_back(on ? "saving" : "not saving"); }
  void MenuItemChosen(std::string_view) override {}
  bool CloseRequested() override { return true; }
  void Destroyed() override {}

  std::vector<std::string> heard;

 private:
  Platform& p_;
  std::vector<Step> steps_;
  size_t step_ = 0;
  bool acted_ = false, done_ = false, seen_ = true;
  DWORD since_ = 0;
};

TEST(Win32WindowTest, HearsWhenNobodyCanSeeTheWindowAndWhenSomebodyCanAgain) {
  std::string error;
  std::unique_ptr<Platform> platform = MakeWin32Platform(&error);
  ASSERT_NE(platform, nullptr) << error;
  platform->SetWindowSize(40, 30);
  platform->MoveWindow(100, 50);
  HWND globe = FindWindowW(L"TfrmMain", nullptr);
  HWND cover = nullptr;
  auto place = [&](int left, int right) {
    SetWindowPos(cover, HWND_TOP, left, 40, right - left, 60, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  };
  SightRecorder events(*platform, {
      // Another window over the globe's left half alone: still seen.
      {[&] {
         cover = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
         place(90, 125);
       },
       0, 1200},
      {[&] { place(90, 150); }, 1},  // over all of it
      {[&] { DestroyWindow(cover); }, 2},
      {[&] { ShowWindow(globe, SW_HIDE); }, 3},
      {[&] { ShowWindow(globe, SW_SHOWNOACTIVATE); }, 4},
      {[&] {
         SendMessageW(globe, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
         SendMessageW(globe, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
         SendPowerSetting(globe, kConsoleDisplayState, 0);
         SendPowerSetting(globe, kConsoleDisplayState, 2);  // dimmed is still seen
         SendPowerSetting(globe, kConsoleDisplayState, 1);
         SendPowerSetting(globe, kPowerSavingStatus, 1);
       },
       9},
  });
  EXPECT_EQ(platform->RunMessageLoop(events), 0);
  EXPECT_EQ(events.heard, (std::vector<std::string>{"unseen", "seen", "unseen", "seen", "unseen", "seen", "unseen",
                                                    "seen", "saving"}));
}

// --- The picture for the screen ----------------------------------------------------

TEST(LayeredSurfaceTest, ClearsWhatTheRegionLeavesOutWhereTheFrameWasWritten) {
  constexpr int kWidth = 8, kHeight = 6;
  std::vector<uint8_t> surface(kWidth * kHeight * 4, 0xAA);
  Region region(Rect{1, 1, 7, 5});
  region.Subtract({1, 1, 3, 2});
  region.Subtract({4, 3, 5, 4});  // a row of two runs
  RowStretches written(kHeight, {0, 0});
  for (int y = 1; y < kHeight; ++y) written[y] = {0, kWidth};
  written[2] = {2, 5};
  ClearOutsideKept(surface.data(), kWidth, KeptRuns(region, kWidth, kHeight), written);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool wasWritten = x >= written[y].first && x < written[y].second;
      const uint8_t want = wasWritten && !region.Contains(x, y) ? 0 : 0xAA;
      EXPECT_EQ(surface[(y * kWidth + x) * 4], want) << x << "," << y;
    }
  EXPECT_EQ(StretchBounds(written, 5), (Rect{0, 1, 5, 6}));
  EXPECT_TRUE(StretchBounds(RowStretches(kHeight, {3, 3}), kWidth).Empty());
}

}  // namespace
}  // namespace gd::win32
#endif  // _WIN32
