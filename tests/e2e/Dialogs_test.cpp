// End-to-end tests of the acknowledgement dialog and the terms viewer: accepting and
// declining by mouse and keyboard, the viewer's text and focus, modality, the layouts,
// and pictures of the three windows written beside the test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialogs/TermsText.h"
#include "tests/e2e/driver/Driver.h"

namespace qc::e2e {
namespace {

constexpr DWORD kTimeout = 20000;
constexpr DWORD kSettleMs = 600;  // time given to a key that should change nothing
constexpr wchar_t kMainCaption[] = L"Quenzor v5.x Client Cache Cleaner";

// The dialog texts are plain ASCII.
std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string N(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring EditText(HWND edit) {
  const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

LONG StyleOf(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }

enum class Key { Enter, Space, Escape, Tab, AltA, AltO, AltF4 };

void PostKeyMessages(HWND target, UINT down, UINT up, UINT vk, LPARAM flags) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(target, down, vk, 1 | scan | flags);
  PostMessageW(target, up, vk, 1 | scan | flags | 0xC0000000);
}

// Delivers one key press to the control that has the focus, as the keyboard would.
void PressKey(HWND focus, Key key) {
  constexpr LPARAM kAltDown = 1 << 29;
  switch (key) {
    case Key::Enter:
      return PostKeyMessages(focus, WM_KEYDOWN, WM_KEYUP, VK_RETURN, 0);
    case Key::Space:
      return PostKeyMessages(focus, WM_KEYDOWN, WM_KEYUP, VK_SPACE, 0);
    case Key::Escape:
      return PostKeyMessages(focus, WM_KEYDOWN, WM_KEYUP, VK_ESCAPE, 0);
    case Key::Tab:
      return PostKeyMessages(focus, WM_KEYDOWN, WM_KEYUP, VK_TAB, 0);
    case Key::AltA:
      return PostKeyMessages(focus, WM_SYSKEYDOWN, WM_SYSKEYUP, 'A', kAltDown);
    case Key::AltO:
      return PostKeyMessages(focus, WM_SYSKEYDOWN, WM_SYSKEYUP, 'O', kAltDown);
    case Key::AltF4:
      return PostKeyMessages(focus, WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F4, kAltDown);
  }
}

// A click of the left mouse button in the middle of a control.
void Click(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(control, WM_LBUTTONUP, 0, at);
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartAndWaitForDialog()); }

  void StartAndWaitForDialog() {
    auto started = StartCleaner({});
    ASSERT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
    cleaner_ = std::move(*started);
    ack_ = WaitForWindow(pid(), W(kAckCaption), kTimeout);
    ASSERT_NE(ack_, nullptr) << "no acknowledgement dialog";
    ASSERT_TRUE(WaitUntil([&] { return Focus() == AckButton(kAckBtnOK); }, kTimeout))
        << "the focus is not on \"I &Accept\"";
  }

  DWORD pid() const { return cleaner_.pid(); }
  HWND Focus() const { return FocusOf(cleaner_.threadId()); }
  HWND Main() const { return FindTopWindow(pid(), kMainCaption); }
  HWND AckButton(const char* caption) const { return FindChild(ack_, L"Button", W(caption)); }
  HWND AckLabel(const char* text) const { return FindChild(ack_, L"Static", W(text)); }
  HWND Viewer() const { return FindTopWindow(pid(), W(kAgreementCaption)); }

  // Presses the keys one after the other; a Tab is waited for, as it moves the focus.
  void Press(const std::vector<Key>& keys) {
    for (Key key : keys) {
      HWND before = Focus();
      ASSERT_NE(before, nullptr) << "nothing has the focus";
      PressKey(before, key);
      if (key == Key::Tab) {
        ASSERT_TRUE(WaitUntil([&] { return Focus() != before; }, kTimeout)) << "Tab did nothing";
      }
    }
  }

  // Clicks the link label and waits for a viewer with its text loaded.
  HWND OpenViewer() {
    Click(AckLabel(kAckLabel2));
    HWND viewer = WaitForWindow(pid(), W(kAgreementCaption), kTimeout);
    if (viewer == nullptr) return nullptr;
    HWND text1 = FindChild(viewer, L"Edit");
    WaitUntil([&] { return text1 != nullptr && EditText(text1).size() > 10000; }, kTimeout);
    return viewer;
  }

  void ExpectAccepted() {
    HWND main = WaitForWindow(pid(), kMainCaption, kTimeout);
    ASSERT_NE(main, nullptr) << "the main window was not shown";
    EXPECT_FALSE(IsWindow(ack_)) << "the dialog was not unloaded";
    EXPECT_TRUE(IsEnabled(main)) << "the main window takes no input";
    ASSERT_TRUE(PressButton(main, L"E&xit"));
    const auto code = cleaner_.WaitForExit(kTimeout);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0u);
  }

  void ExpectDeclined() {
    bool mainShown = false;
    const bool ended = WaitUntil(
        [&] {
          HWND main = Main();
          mainShown = mainShown || (main != nullptr && IsVisible(main));
          return !cleaner_.IsRunning();
        },
        kTimeout);
    ASSERT_TRUE(ended) << "the program did not end";
    EXPECT_FALSE(mainShown) << "the main window was shown";
    const auto code = cleaner_.WaitForExit(0);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0u);
  }

  void ExpectStillOpen() {
    Sleep(kSettleMs);
    ASSERT_TRUE(cleaner_.IsRunning());
    EXPECT_TRUE(IsWindow(ack_) && IsVisible(ack_)) << "the dialog was closed";
    EXPECT_TRUE(IsEnabled(ack_));
    HWND main = Main();
    EXPECT_TRUE(main == nullptr || !IsVisible(main)) << "the main window was shown";
  }

  Process cleaner_;
  HWND ack_ = nullptr;
};

// --- Keyboard on the acknowledgement dialog ---

enum class Outcome { Accepted, Declined, StillOpen };

struct KeyCase {
  const char* name;
  std::vector<Key> keys;
  Outcome outcome;
};

const KeyCase kAckKeyCases[] = {
    {"EnterAtOnce", {Key::Enter}, Outcome::Accepted},
    {"SpaceAtOnce", {Key::Space}, Outcome::Accepted},
    {"AltA", {Key::AltA}, Outcome::Accepted},
    {"AltF4ActsAsAccept", {Key::AltF4}, Outcome::Accepted},
    {"EscapeDoesNothing", {Key::Escape}, Outcome::StillOpen},
    {"EscapeThenEnter", {Key::Escape, Key::Enter}, Outcome::Accepted},
    {"EnterOnTheBannerDoesNothing", {Key::Tab, Key::Enter}, Outcome::StillOpen},
    {"EnterOnDecline", {Key::Tab, Key::Tab, Key::Enter}, Outcome::Declined},
    {"SpaceOnDecline", {Key::Tab, Key::Tab, Key::Space}, Outcome::Declined},
    {"EscapeOnDecline", {Key::Tab, Key::Tab, Key::Escape}, Outcome::StillOpen},
    {"TabWrapsToAccept", {Key::Tab, Key::Tab, Key::Tab, Key::Enter}, Outcome::Accepted},
    {"AltAFromDecline", {Key::Tab, Key::Tab, Key::AltA}, Outcome::Accepted},
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class AckKeysTest : public DialogsTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(AckKeysTest, KeysPressOnlyTheFocusedButtonOrTheAccessKey) {
  ASSERT_NO_FATAL_FAILURE(Press(GetParam().keys));
  switch (GetParam().outcome) {
    case Outcome::Accepted:
      return ExpectAccepted();
    case Outcome::Declined:
      return ExpectDeclined();
    case Outcome::StillOpen:
      return ExpectStillOpen();
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, AckKeysTest, ::testing::ValuesIn(kAckKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogsTest, TabVisitsAcceptTheBannerAndDeclineOnly) {
  HWND accept = AckButton(kAckBtnOK);
  HWND decline = AckButton(kAckBtnCANCEL);
  HWND banner = FindChildAt(ack_, L"", POINT{2, 2});
  ASSERT_NE(banner, nullptr);
  const HWND expected[] = {banner, decline, accept};
  for (HWND want : expected) {
    ASSERT_NO_FATAL_FAILURE(Press({Key::Tab}));
    EXPECT_EQ(Focus(), want);
  }
}

// --- Mouse on the acknowledgement dialog ---

TEST_F(DialogsTest, CloseRequestsActAsAccept) {
  PostClose(ack_, true);
  ExpectAccepted();
}

TEST_F(DialogsTest, MainWindowIsHiddenAndDisabledWhileTheDialogIsOpen) {
  HWND main = Main();
  ASSERT_NE(main, nullptr) << "the main window exists while loading";
  EXPECT_FALSE(IsVisible(main));
  EXPECT_FALSE(IsEnabled(main));
  EXPECT_EQ(GetWindow(ack_, GW_OWNER), nullptr) << "the dialog has no owner";
  ASSERT_TRUE(PressButton(ack_, W(kAckBtnOK)));
  ExpectAccepted();
}

// --- The terms viewer ---

TEST_F(DialogsTest, ViewerClosedWithOkThenDeclineEndsTheProgram) {
  HWND viewer = OpenViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_FALSE(IsEnabled(ack_)) << "the dialog takes input under the viewer";
  EXPECT_EQ(GetWindow(viewer, GW_OWNER), nullptr) << "the viewer has no owner";
  ASSERT_TRUE(PressButton(viewer, W(kAgreementCommand1)));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout)) << "viewer stays open";
  EXPECT_TRUE(IsEnabled(ack_));
  ASSERT_TRUE(PressButton(ack_, W(kAckBtnCANCEL)));
  ExpectDeclined();
}

TEST_F(DialogsTest, ViewerClosedWithItsCloseButtonThenAcceptShowsTheMainWindow) {
  HWND viewer = OpenViewer();
  ASSERT_NE(viewer, nullptr);
  PostClose(viewer, true);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout)) << "viewer stays open";
  EXPECT_TRUE(IsWindow(ack_) && IsEnabled(ack_));
  EXPECT_TRUE(WaitUntil([&] { return Focus() == AckButton(kAckBtnOK); }, kTimeout))
      << "the focus did not come back to \"I &Accept\"";
  ASSERT_NO_FATAL_FAILURE(Press({Key::Enter}));
  ExpectAccepted();
}

TEST_F(DialogsTest, EveryViewerShowsTheWholeTermsFromTheFirstLineWithFocusOnOk) {
  const std::wstring terms = W(TermsText());
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    HWND viewer = OpenViewer();
    ASSERT_NE(viewer, nullptr);
    HWND text1 = FindChild(viewer, L"Edit");
    ASSERT_NE(text1, nullptr);
    EXPECT_EQ(EditText(text1), terms);
    EXPECT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(SendMessageW(text1, EM_GETSEL, 0, 0), 0) << "something is selected";
    EXPECT_GT(SendMessageW(text1, EM_GETLINECOUNT, 0, 0), 60) << "long lines do not wrap";
    EXPECT_TRUE(WaitUntil([&] { return Focus() == FindChild(viewer, L"Button"); }, kTimeout));
    // Leave this viewer scrolled down with a selection; the next one must not show it.
    SendMessageW(text1, EM_SETSEL, 10, 200);
    SendMessageW(text1, EM_LINESCROLL, 0, 40);
    EXPECT_GT(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    ASSERT_NO_FATAL_FAILURE(Press({Key::AltO}));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout)) << "Alt+O did nothing";
  }
  ASSERT_TRUE(PressButton(ack_, W(kAckBtnOK)));
  ExpectAccepted();
}

const KeyCase kViewerKeyCases[] = {
    {"Enter", {Key::Enter}, Outcome::Accepted},
    {"Space", {Key::Space}, Outcome::Accepted},
    {"AltO", {Key::AltO}, Outcome::Accepted},
    {"AltF4", {Key::AltF4}, Outcome::Accepted},
    {"EscapeDoesNothing", {Key::Escape}, Outcome::StillOpen},
    {"EnterInTheTextDoesNothing", {Key::Tab, Key::Enter}, Outcome::StillOpen},
    {"EscapeInTheTextDoesNothing", {Key::Tab, Key::Escape}, Outcome::StillOpen},
    {"TabBackToOk", {Key::Tab, Key::Tab, Key::Enter}, Outcome::Accepted},
};

class ViewerKeysTest : public DialogsTest, public ::testing::WithParamInterface<KeyCase> {};

// Accepted here means: the viewer was closed, and the dialog underneath is usable again.
TEST_P(ViewerKeysTest, OnlyOkClosesTheViewer) {
  HWND viewer = OpenViewer();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Focus() == FindChild(viewer, L"Button"); }, kTimeout));
  const std::wstring before = EditText(FindChild(viewer, L"Edit"));
  ASSERT_NO_FATAL_FAILURE(Press(GetParam().keys));
  if (GetParam().outcome == Outcome::Accepted) {
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout)) << "viewer stays open";
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(ack_); }, kTimeout));
    EXPECT_TRUE(IsVisible(ack_));
  } else {
    Sleep(kSettleMs);
    EXPECT_TRUE(IsWindow(viewer) && IsVisible(viewer)) << "the viewer was closed";
    EXPECT_EQ(EditText(FindChild(viewer, L"Edit")), before) << "the text was changed";
    EXPECT_FALSE(IsEnabled(ack_));
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ViewerKeysTest, ::testing::ValuesIn(kViewerKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qc::e2e
