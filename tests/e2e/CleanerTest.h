// What the whole-program tests share: the program's captions and boxes, and a fixture
// holding one started cleaner with the main window's controls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Form1Texts.h"
#include "dialogs/TermsText.h"
#include "platform/win32/Utf.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"

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
