// End-to-end tests of the acknowledgement dialog and the terms viewer: accepting and
// declining by mouse and keyboard, the viewer's text and focus, modality, the layouts,
// and pictures of the three windows written beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/TermsText.h"
#include "tests/e2e/CleanerTest.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "texts/Form1Texts.h"

namespace qc::e2e {
namespace {

constexpr DWORD kTimeout = 20000;
constexpr DWORD kSettleMs = 600;  // time given to a key that should change nothing
// The dialog texts are plain ASCII.
std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring EditText(HWND edit) {
  const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

enum class Key { Enter, Space, Escape, Tab, AltA, AltO, AltF4, Close };

void PostKeyMessages(HWND target, UINT down, UINT up, UINT vk, LPARAM flags) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(target, down, vk, 1 | scan | flags);
  PostMessageW(target, up, vk, 1 | scan | flags | 0xC0000000);
}

// Delivers one key press to the control that has the focus, as the keyboard would; Close
// asks its window to close, as its close button does.
void PressKey(HWND focus, Key key) {
  if (key == Key::Close) return PostClose(GetAncestor(focus, GA_ROOT), true);
  constexpr LPARAM kAltDown = 1 << 29;
  const struct {
    UINT vk;
    bool alt;
  } kKeys[] = {{VK_RETURN, false}, {VK_SPACE, false}, {VK_ESCAPE, false}, {VK_TAB, false},
               {'A', true},        {'O', true},       {VK_F4, true}};
  const auto& k = kKeys[int(key)];
  PostKeyMessages(focus, k.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, k.alt ? WM_SYSKEYUP : WM_KEYUP, k.vk,
                  k.alt ? kAltDown : 0);
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
    ack_ = WaitForWindow(pid(), kAckCaption, kTimeout);
    ASSERT_NE(ack_, nullptr) << "no acknowledgement dialog; " << WhatTheCleanerShows();
    // The main window exists while loading, hidden and disabled; the dialog has no owner.
    ASSERT_NE(Main(), nullptr);
    EXPECT_FALSE(IsVisible(Main()) || IsEnabled(Main()));
    EXPECT_EQ(GetWindow(ack_, GW_OWNER), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Focus() == AckButton(kAckBtnOK); }, kTimeout))
        << "the focus is not on \"I &Accept\"";
  }

  // For a failure message: whether the program still runs and which windows it has.
  std::string WhatTheCleanerShows() const {
    std::ostringstream out;
    if (const auto code = cleaner_.WaitForExit(0)) {
      out << "the program ended with exit code " << *code;
    } else {
      out << "the program runs with " << TopWindowsOf(pid()).size() << " top-level windows";
    }
    return out.str();
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
    {"CloseRequestActsAsAccept", {Key::Close}, Outcome::Accepted},
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
    {"CloseRequest", {Key::Close}, Outcome::Accepted},
    {"EscapeDoesNothing", {Key::Escape}, Outcome::StillOpen},
    {"EnterInTheTextDoesNothing", {Key::Tab, Key::Enter}, Outcome::StillOpen},
    {"EscapeInTheTextDoesNothing", {Key::Tab, Key::Escape}, Outcome::StillOpen},
    {"TabBackToOk", {Key::Tab, Key::Tab, Key::Enter}, Outcome::Accepted},
};

class ViewerKeysTest : public DialogsTest, public ::testing::WithParamInterface<KeyCase> {};

// Accepted here means: the viewer was closed, and the dialog underneath is usable again,
// with the focus back on "I &Accept".
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
    EXPECT_TRUE(WaitUntil([&] { return Focus() == AckButton(kAckBtnOK); }, kTimeout));
    ASSERT_NO_FATAL_FAILURE(Press({Key::Enter}));
    ExpectAccepted();
  } else {
    Sleep(kSettleMs);
    EXPECT_TRUE(IsWindow(viewer) && IsVisible(viewer)) << "the viewer was closed";
    EXPECT_EQ(EditText(FindChild(viewer, L"Edit")), before) << "the text was changed";
    EXPECT_FALSE(IsEnabled(ack_));
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ViewerKeysTest, ::testing::ValuesIn(kViewerKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Layout ---

// In the order the windows hold them, which is also their tab order.
const Place kAckPlaces[] = {
    {"btnOK", L"Button", W(kAckBtnOK), {16, 280, 121, 305}, true},
    {"Label3", L"Static", W(kAckLabel3), {16, 72, 281, 89}, false},
    {"Label4", L"Static", W(kAckLabel4), {16, 88, 257, 113}, false},
    {"Picture1", L"", L"", {0, 0, 281, 57}, true},
    {"Label6", L"Static", W(kAckLabel6), {16, 128, 249, 225}, false},
    {"Label1", L"Static", W(kAckLabel1), {16, 232, 249, 249}, false},
    {"Label2", L"Static", W(kAckLabel2), {16, 248, 249, 265}, false},
    {"btnCANCEL", L"Button", W(kAckBtnCANCEL), {160, 280, 265, 305}, true},
};

const Place kViewerPlaces[] = {
    {"Command1", L"Button", W(kAgreementCommand1), {400, 336, 473, 361}, true},
    {"Text1", L"Edit", L"", {8, 8, 473, 329}, true},
};

TEST_F(DialogsTest, AcknowledgementLayout) {
  ExpectFixedCentredFrame(ack_, {281, 318});
  const std::vector<HWND> c = ExpectPlaces(ack_, kAckPlaces);
  ASSERT_EQ(c.size(), 8u);
  for (HWND label : {c[1], c[2], c[4], c[5], c[6]}) {
    EXPECT_EQ(StyleOf(label) & SS_TYPEMASK, SS_LEFT) << "labels wrap at word boundaries";
    EXPECT_NE(StyleOf(label) & SS_NOPREFIX, 0) << "no label has an access key";
    EXPECT_EQ((StyleOf(label) & SS_NOTIFY) != 0, label == c[6]) << "only Label2 is a link";
  }
  for (HWND button : {c[0], c[7]}) {
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
  }
}

TEST_F(DialogsTest, ViewerLayout) {
  HWND viewer = OpenViewer();
  ASSERT_NE(viewer, nullptr);
  ExpectFixedCentredFrame(viewer, {482, 367});
  const std::vector<HWND> c = ExpectPlaces(viewer, kViewerPlaces);
  ASSERT_EQ(c.size(), 2u);
  const LONG style = StyleOf(c[1]);
  EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
            ES_MULTILINE | ES_READONLY | WS_VSCROLL);
  EXPECT_EQ(style & (WS_HSCROLL | ES_AUTOHSCROLL), 0) << "long lines must wrap";
  EXPECT_GE(static_cast<std::size_t>(SendMessageW(c[1], EM_GETLIMITTEXT, 0, 0)),
            std::size_t{0x7FFFFFFE})
      << "the box sets a length limit of its own";
  EXPECT_EQ(StyleOf(c[0]) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
}

// The pixels of a control as the screen shows them.
std::vector<COLORREF> Pixels(HWND control, SIZE& size) {
  RECT r{};
  GetWindowRect(control, &r);
  size = {r.right - r.left, r.bottom - r.top};
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> pixels;
  for (LONG y = 0; y < size.cy; ++y) {
    for (LONG x = 0; x < size.cx; ++x) pixels.push_back(GetPixel(screen, r.left + x, r.top + y));
  }
  ReleaseDC(nullptr, screen);
  return pixels;
}

TEST_F(DialogsTest, LinkIsUnderlinedInTheActiveTitleBarColour) {
  RedrawWindow(ack_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  const COLORREF link = GetSysColor(COLOR_ACTIVECAPTION);
  SIZE size{};
  const std::vector<COLORREF> label2 = Pixels(AckLabel(kAckLabel2), size);
  // The underline is the longest run of the link colour in one row.
  LONG longestRun = 0;
  for (LONG y = 0; y < size.cy; ++y) {
    LONG run = 0;
    for (LONG x = 0; x < size.cx; ++x) {
      run = label2[static_cast<std::size_t>(y * size.cx + x)] == link ? run + 1 : 0;
      longestRun = std::max(longestRun, run);
    }
  }
  EXPECT_GT(longestRun, 60) << "no underline in the link colour";
  const std::vector<COLORREF> label1 = Pixels(AckLabel(kAckLabel1), size);
  EXPECT_EQ(std::count(label1.begin(), label1.end(), link), 0) << "Label1 is no link";
}

// --- Pictures for people to look at ---

// Without a window manager nobody draws the title bars under Wine; asked to, Wine draws
// them itself, and the pictures show captions and icons. Programs read the setting when
// they start; it is taken back at the end.
class WineDrawsFrames {
 public:
  WineDrawsFrames()
      : set_(RunningUnderWine() &&
             RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_ANY, nullptr, nullptr, nullptr) !=
                 ERROR_SUCCESS &&
             RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_SZ, L"N", 4) == ERROR_SUCCESS) {}
  WineDrawsFrames(const WineDrawsFrames&) = delete;
  WineDrawsFrames& operator=(const WineDrawsFrames&) = delete;
  ~WineDrawsFrames() {
    if (set_) RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\X11 Driver", kValue[] = L"Decorated";
  bool set_;
};

class PicturesTest : public DialogsTest {
 protected:
  void SetUp() override {
    frames_.emplace();
    ASSERT_NO_FATAL_FAILURE(StartAndWaitForDialog());
  }
  std::optional<WineDrawsFrames> frames_;
};

TEST_F(PicturesTest, OfTheThreeWindows) {
  EXPECT_TRUE(SaveScreenshot(ack_, BesideExe(L"e2e-acknowledge.bmp")));
  HWND viewer = OpenViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(SaveScreenshot(viewer, BesideExe(L"e2e-agreement.bmp")));
  ASSERT_TRUE(PressButton(viewer, W(kAgreementCommand1)));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout));
  ASSERT_TRUE(PressButton(ack_, W(kAckBtnOK)));
  HWND main = WaitForWindow(pid(), kMainCaption, kTimeout);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(SaveScreenshot(main, BesideExe(L"e2e-main-after-accept.bmp")));
  ExpectAccepted();
}

// --- Declining touches nothing ---

// The product's traces and decoys as the scenarios seed them, the running agent among them.
class UntouchedTest : public DialogsTest {
 protected:
  void SetUp() override {
    std::wstring error;
    ASSERT_TRUE(seed_.LayDown(&error)) << win::ToUtf8(error);
  }
  void ExpectAllThere() const {
    for (const Trace& t : seed_.traces()) EXPECT_TRUE(Seeder::Exists(t)) << win::ToUtf8(t.path);
  }
  Seeder seed_{DefaultSeedOptions()};
};

// Declined at once with the mouse, or after reading the terms with the keyboard.
TEST_F(UntouchedTest, DeclineTouchesNothingAndNeverShowsTheMainWindow) {
  for (const bool readFirst : {false, true}) {
    SCOPED_TRACE(readFirst ? "after reading the terms" : "at once");
    ASSERT_NO_FATAL_FAILURE(StartAndWaitForDialog());
    ExpectAllThere();
    if (readFirst) {
      HWND viewer = OpenViewer();
      ASSERT_NE(viewer, nullptr);
      ASSERT_NO_FATAL_FAILURE(Press({Key::Enter}));
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, kTimeout));
      ASSERT_TRUE(WaitUntil([&] { return Focus() == AckButton(kAckBtnOK); }, kTimeout));
      ASSERT_NO_FATAL_FAILURE(Press({Key::Tab, Key::Tab, Key::Enter}));
    } else {
      ASSERT_TRUE(PressButton(ack_, W(kAckBtnCANCEL)));
    }
    ExpectDeclined();
    ExpectAllThere();
  }
}

}  // namespace
}  // namespace qc::e2e
