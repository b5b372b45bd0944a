// What the whole-program tests share: the program's captions and boxes, the run's log as
// the log viewer reads it, and a fixture holding one started cleaner with the main
// window's controls.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "dialogs/TermsText.h"
#include "platform/win32/Utf.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "texts/Form1Texts.h"

namespace qc::e2e {

inline const std::wstring kMainCaption = win::ToW(qc::kMainCaption);
inline const std::wstring kAckCaption = win::ToW(qc::kAckCaption);

inline const MessageBoxInfo kSilentDone{
    nullptr, L"Done", win::ToW(kDoneSilentText), {L"&Yes", L"&No"}};
inline const MessageBoxInfo kInteractiveDone{
    nullptr, L"Done", win::ToW(kDoneInteractiveText), {L"OK"}};
inline const MessageBoxInfo kAcknowledge{
    nullptr, L"Acknowledge", win::ToW(kAcknowledgeText), {L"&Yes", L"&No"}};
inline const MessageBoxInfo kContinue{nullptr, L"Continue", win::ToW(kContinueText), {L"OK"}};
inline const MessageBoxInfo kNothingDone{
    nullptr, L"Nothing Done", win::ToW(kNothingDoneText), {L"OK"}};

inline void ExpectBox(HWND box, const MessageBoxInfo& want) {
  ASSERT_NE(box, nullptr) << "no \"" << std::string(want.title.begin(), want.title.end())
                          << "\" box";
  const MessageBoxInfo got = ReadMessageBox(box);
  EXPECT_EQ(got.title, want.title);
  EXPECT_EQ(got.text, want.text);
  EXPECT_EQ(got.buttons, want.buttons);
}

inline LONG StyleOf(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }

// A window of fixed size, centred on the screen, with a caption and a close button, no
// menu and no owner.
inline void ExpectFixedCentredFrame(HWND window, SIZE client) {
  EXPECT_EQ(ClientSize(window).cx, client.cx);
  EXPECT_EQ(ClientSize(window).cy, client.cy);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_LE(std::abs((r.left + r.right) - GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) - GetSystemMetrics(SM_CYSCREEN)), 1);
  const LONG style = StyleOf(window);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_NE(style & WS_SYSMENU, 0) << "no close button";
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
}

// A control of a window: where it lies in the window's client area, and its tab stop.
struct Place {
  const char* name;
  const wchar_t* className;  // empty: the banner, whose class is our own
  std::wstring caption;
  RECT rect;
  bool tabStop;
};

// Finds each control, checks its place and its tab stop, and that the window holds
// exactly these, in this order.
template <std::size_t N>
inline std::vector<HWND> ExpectPlaces(HWND window, const Place (&places)[N]) {
  std::vector<HWND> found;
  for (const Place& p : places) {
    SCOPED_TRACE(p.name);
    HWND c = *p.className == L'\0'
                 ? FindChildAt(window, L"", POINT{p.rect.left + 2, p.rect.top + 2})
                 : FindChild(window, p.className, p.caption);
    EXPECT_NE(c, nullptr);
    if (c == nullptr) continue;
    const RECT r = RectInParent(c);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{p.rect.left, p.rect.top, p.rect.right, p.rect.bottom}));
    EXPECT_EQ((StyleOf(c) & WS_TABSTOP) != 0, p.tabStop);
    found.push_back(c);
  }
  EXPECT_EQ(ChildrenOf(window), found) << "other controls, or another order";
  return found;
}

// The log of this account's runs, in %TEMP%.
inline std::wstring TempLog() {
  wchar_t temp[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  return std::wstring(temp) + L"\\QuenzorCleaner.log";
}

// One line of the log as CMTrace reads it; one it could not read is "unreadable: ...".
struct LogLine {
  std::wstring text, component, type, thread;
};

inline std::vector<LogLine> ReadTempLog() {
  std::string bytes(1 << 20, '\0');
  DWORD read = 0;
  HANDLE file = CreateFileW(TempLog().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
  }
  // The time carries milliseconds and a bias with exactly one sign.
  static const std::wregex kLine(
      LR"re(<!\[LOG\[(.*)\]LOG\]!><time="\d\d:\d\d:\d\d\.\d\d\d[+-]\d+" )re"
      LR"re(date="\d\d-\d\d-\d\d\d\d" component="([a-z]+)" context="" type="([123])" )re"
      LR"re(thread="(\d+)" file="">)re");
  std::vector<LogLine> lines;
  for (std::size_t at = 0, end; (end = bytes.find("\r\n", at)) < read; at = end + 2) {
    const std::wstring line = win::ToW(bytes.substr(at, end - at));
    std::wsmatch m;
    const bool ok = std::regex_match(line, m, kLine);
    lines.push_back(ok ? LogLine{m[1], m[2], m[3], m[4]}
                       : LogLine{L"unreadable: " + line, {}, {}, {}});
  }
  return lines;
}

// The log of a whole run: the header, the results list's lines whole and in order, the
// summary and the exit code, all from one process. A line's type follows what became of
// its item, as the words before its first ": " say: 3 for an error or a "Not", 2 for
// "at Restart", 1 otherwise.
inline void ExpectRunLog(const std::vector<LogLine>& log, const std::vector<std::wstring>& lines,
                         DWORD exitCode) {
  ASSERT_EQ(log.size(), lines.size() + 3);
  EXPECT_TRUE(log.front().text.starts_with(L"QuenzorCleaner ")) << win::ToUtf8(log[0].text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::wstring words = lines[i].substr(0, lines[i].find(L": "));
    const wchar_t* type = words == L"Error" || words.find(L" Not ") != std::wstring::npos ? L"3"
                          : words.ends_with(L" at Restart")                               ? L"2"
                                                                                          : L"1";
    EXPECT_EQ(log[i + 1].text, lines[i]);
    EXPECT_EQ(log[i + 1].type, type) << win::ToUtf8(lines[i]);
  }
  EXPECT_TRUE(log[lines.size() + 1].text.starts_with(L"Summary: "));
  EXPECT_EQ(log.back().text, L"Finished; exit code " + std::to_wstring(exitCode));
  for (const LogLine& line : log) EXPECT_EQ(line.thread, log.front().thread);
}

// One started cleaner; `timeout` bounds every wait for one of its windows.
class CleanerTest : public ::testing::Test {
 protected:
  explicit CleanerTest(DWORD timeout) : timeout_(timeout) {}

  // Started as a user starts a downloaded program, from a folder on drive C: (the build
  // folder is on Z:, where "C:" would name the drive's root and hide any fault there).
  void Start(LaunchOptions options) {
    if (options.workingDirectory.empty()) options.workingDirectory = DownloadsFolder();
    auto started = StartCleaner(options);
    ASSERT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
    cleaner_ = std::move(*started);
  }
  DWORD pid() const { return cleaner_.pid(); }
  HWND MainWindow() const { return FindTopWindow(pid(), kMainCaption); }
  HWND Button(const wchar_t* caption) const { return FindChild(MainWindow(), L"Button", caption); }
  std::vector<std::wstring> ListLines() const {
    return ListBoxLines(FindChild(MainWindow(), L"ListBox"));
  }

  // Waits for the program's next box, checks it completely and presses `answer`.
  void AnswerBox(const MessageBoxInfo& want, const wchar_t* answer) {
    HWND box = WaitForMessageBox(pid(), timeout_);
    ExpectBox(box, want);
    if (box == nullptr) return;
    ASSERT_TRUE(PressButton(box, answer));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, timeout_)) << "box stays open";
  }

  void ExpectExit(DWORD code) {
    const auto exitCode = cleaner_.WaitForExit(timeout_);
    ASSERT_TRUE(exitCode) << "the program did not end";
    EXPECT_EQ(*exitCode, code);
  }

  const DWORD timeout_;
  Process cleaner_;
};

}  // namespace qc::e2e
