// What the whole-program tests share: the program's captions and boxes, and a fixture
// holding one started cleaner with the main window's controls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/Driver.h"

namespace qc::e2e {

inline constexpr wchar_t kMainCaption[] = L"Quenzor v5.x Client Cache Cleaner";
inline constexpr wchar_t kAckCaption[] = L"Quenzor Brevikit";

inline const MessageBoxInfo kSilentDone{
    nullptr, L"Done", L"Process Complete.  Would you like to view the results?", {L"&Yes", L"&No"}};
inline const MessageBoxInfo kInteractiveDone{
    nullptr, L"Done", L"Process Complete.  Press OK to view the results.", {L"OK"}};
inline const MessageBoxInfo kAcknowledge{nullptr,
                                         L"Acknowledge",
                                         L"All Quenzor and Internet Explorer applications will be "
                                         L"closed.\r\nAre you sure you wish to continue?",
                                         {L"&Yes", L"&No"}};
inline const MessageBoxInfo kContinue{
    nullptr,
    L"Continue",
    L"Quenzor and Internet Explorer processes Terminated.\r\nPress OK to continue.",
    {L"OK"}};
inline const MessageBoxInfo kNothingDone{nullptr, L"Nothing Done", L"Nothing Done.", {L"OK"}};

inline void ExpectBox(HWND box, const MessageBoxInfo& want) {
  ASSERT_NE(box, nullptr) << "no \"" << std::string(want.title.begin(), want.title.end())
                          << "\" box";
  const MessageBoxInfo got = ReadMessageBox(box);
  EXPECT_EQ(got.title, want.title);
  EXPECT_EQ(got.text, want.text);
  EXPECT_EQ(got.buttons, want.buttons);
}

// One started cleaner; `timeout` bounds every wait for one of its windows.
class CleanerTest : public ::testing::Test {
 protected:
  explicit CleanerTest(DWORD timeout) : timeout_(timeout) {}

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
