// End-to-end tests of the start-up, the main window and the cleaning run's prompts,
// driving the real program through its windows. The prefix holds none of the product's
// traces, so a completed run finds nothing but reports that no target process runs.
#include <gtest/gtest.h>

#include "tests/e2e/CleanerTest.h"
#include "tests/e2e/driver/Driver.h"
#include "win32/WineAppDefault.h"

namespace qc::e2e {
namespace {

using Lines = std::vector<std::wstring>;

constexpr DWORD kTimeout = 20000;
constexpr wchar_t kNoProcessesLine[] =
    L"Information: No Quenzor or Internet Explorer Processes Running";

// One started cleaner with the windows the tests look at.
class StartupTest : public CleanerTest {
 protected:
  StartupTest() : CleanerTest(kTimeout) {}

  // The interactive start up to the shown main window, accepting the acknowledgement
  // dialog when the program shows one.
  HWND ReachMainWindow() {
    HWND main = nullptr;
    const bool shown = WaitUntil(
        [&] {
          HWND ack = FindTopWindow(pid(), kAckCaption);
          if (ack != nullptr && IsVisible(ack)) {
            main = MainWindow();
            EXPECT_FALSE(main != nullptr && IsVisible(main)) << "main window shown too early";
            PressButton(ack, L"I &Accept");
            WaitUntil([&] { return !IsWindow(ack) || !IsVisible(ack); }, kTimeout);
          }
          main = MainWindow();
          return main != nullptr && IsVisible(main);
        },
        kTimeout);
    return shown ? main : nullptr;
  }

  // Clicks "&Clean PC" and checks that the main window takes no input while the box that
  // follows is open.
  void ClickClean() {
    ASSERT_TRUE(PressButton(MainWindow(), L"&Clean PC"));
    ASSERT_NE(WaitForMessageBox(pid(), kTimeout), nullptr);
    EXPECT_FALSE(IsEnabled(MainWindow())) << "main window takes input under a box";
  }
};

// --- Silent start ---

// --- The main window as shown ---

// In the order the window holds them, which is also their tab order.
const Place kControls[] = {
    {"btnExit", L"Button", L"E&xit", {704, 32, 849, 57}, true},
    {"listWork", L"ListBox", L"", {8, 64, 849, 406}, true},
    {"btnClean", L"Button", L"&Clean PC", {704, 8, 849, 33}, true},
    {"Picture1", L"", L"", {0, 0, 697, 57}, true},
};

// The finished main window as shown, at its size and with its controls in place.
TEST_F(StartupTest, SilentYesShowsTheFinishedMainWindow) {
  Start({.arguments = L"/s"});
  HWND box = WaitForMessageBox(pid(), kTimeout);
  ExpectBox(box, kSilentDone);
  // Only the "Done" box is seen: the main window stays hidden until it is answered.
  EXPECT_FALSE(IsVisible(MainWindow()));
  EXPECT_EQ(FindTopWindow(pid(), kAckCaption), nullptr);
  ASSERT_TRUE(PressButton(box, L"&Yes"));
  HWND main = WaitForWindow(pid(), kMainCaption, kTimeout);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListLines(), Lines{kNoProcessesLine});
  EXPECT_FALSE(IsEnabled(Button(L"&Clean PC")));
  EXPECT_TRUE(IsEnabled(Button(L"E&xit")));
  EXPECT_EQ(FocusOf(cleaner_.threadId()), Button(L"E&xit"));
  EXPECT_EQ(FindTopWindow(pid(), kAckCaption), nullptr) << "no acknowledgement after a run";
  ExpectFixedCentredFrame(main, {856, 412});
  const std::vector<HWND> c = ExpectPlaces(main, kControls);
  ASSERT_EQ(c.size(), 4u);
  // Tab order: "E&xit", the list, (the disabled "&Clean PC" is skipped), the banner.
  EXPECT_EQ(GetNextDlgTabItem(main, c[0], FALSE), c[1]);
  EXPECT_EQ(GetNextDlgTabItem(main, c[1], FALSE), c[3]);
  EXPECT_EQ(GetNextDlgTabItem(main, c[3], FALSE), c[0]);
  EXPECT_TRUE(SaveScreenshot(main, BesideExe(L"e2e-main-window.bmp")));
  ASSERT_TRUE(PressButton(main, L"E&xit"));
  ExpectExit(0);
}

// --- Interactive start and run ---

// A declined confirmation changes nothing and is asked again; an accepted one runs.
TEST_F(StartupTest, DeclinedConfirmationChangesNothingAndAcceptedRunsAndFinishes) {
  Start({});
  HWND main = ReachMainWindow();
  ASSERT_NE(main, nullptr);
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    ASSERT_NO_FATAL_FAILURE(ClickClean());
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kAcknowledge, L"&No"));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kNothingDone, L"OK"));
    EXPECT_TRUE(ListLines().empty());
    EXPECT_TRUE(IsEnabled(Button(L"&Clean PC")));
    EXPECT_TRUE(IsEnabled(MainWindow()));
  }
  ASSERT_NO_FATAL_FAILURE(ClickClean());
  ASSERT_NO_FATAL_FAILURE(AnswerBox(kAcknowledge, L"&Yes"));
  // No target process runs here: no "Continue" box, straight on to "Done".
  HWND done = WaitForMessageBox(pid(), kTimeout);
  ExpectBox(done, kInteractiveDone);
  EXPECT_EQ(ListLines(), Lines{kNoProcessesLine}) << "lines are in before the box";
  ASSERT_TRUE(PressButton(done, L"OK"));
  ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(Button(L"&Clean PC")); }, kTimeout));
  EXPECT_EQ(ListLines(), Lines{kNoProcessesLine});
  EXPECT_TRUE(IsEnabled(Button(L"E&xit")));
  EXPECT_EQ(WaitForMessageBox(pid(), 300), nullptr);
  // The click left the focus on "&Clean PC", which the run disabled: the focus must move
  // on, so that the keyboard alone can still leave the program.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, kTimeout));
  const HWND exit = Button(L"E&xit");
  const HWND cycle[] = {FindChild(main, L"ListBox"), FindChildAt(main, L"", POINT{2, 2}), exit};
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(cleaner_.threadId()) == exit; }, kTimeout));
  for (HWND next : cycle) {
    ASSERT_TRUE(TypeKey(VK_TAB));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(cleaner_.threadId()) == next; }, kTimeout));
  }
  ASSERT_TRUE(TypeKey('X', /*alt=*/true));
  ExpectExit(0);
}

// --- Command line ---

struct CommandCase {
  const char* name;
  // The whole command line; "{exe}" stands for the program's path.
  const wchar_t* commandLine;
  bool silent;
};

const CommandCase kCommandCases[] = {
    {"ShortKeyword", L"\"{exe}\" /s", true},
    {"LongKeyword", L"\"{exe}\" silent", true},
    {"ShortUpper", L"\"{exe}\" /S", true},
    {"LongUpper", L"\"{exe}\" SILENT", true},
    {"LongMixed", L"\"{exe}\" sIlEnT", true},
    {"BlanksAfterPath", L"\"{exe}\"    /s", true},
    {"TabAfterPath", L"\"{exe}\"\tsilent", true},
    {"UnquotedPath", L"{exe} /s", true},
    {"Empty", L"\"{exe}\"", false},
    {"OnlyBlanks", L"\"{exe}\"   ", false},
    {"BothKeywords", L"\"{exe}\" /s silent", false},
    {"KeywordThenArgument", L"\"{exe}\" /s x", false},
    {"ArgumentThenKeyword", L"\"{exe}\" x silent", false},
    {"TrailingBlank", L"\"{exe}\" /s ", false},
    {"DashForSlash", L"\"{exe}\" -s", false},
    {"LetterOnly", L"\"{exe}\" s", false},
    {"SlashBeforeLong", L"\"{exe}\" /silent", false},
    {"QuotedKeyword", L"\"{exe}\" \"/s\"", false},
};

std::wstring Expand(const wchar_t* pattern) {
  std::wstring out = pattern;
  const std::wstring exe = CleanerPath();
  for (std::size_t at; (at = out.find(L"{exe}")) != std::wstring::npos;) {
    out.replace(at, 5, exe);
  }
  return out;
}

// Silent mode shows its "Done" box first; the interactive start shows a window and no box.
TEST_F(StartupTest, CommandLineSelectsTheStart) {
  for (const CommandCase& c : kCommandCases) {
    SCOPED_TRACE(c.name);
    Start({.rawCommandLine = Expand(c.commandLine)});
    HWND box = nullptr;
    HWND shown = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
          box = WaitForMessageBox(pid(), 0);
          shown = WaitForWindow(pid(), kAckCaption, 0);
          if (shown == nullptr) shown = WaitForWindow(pid(), kMainCaption, 0);
          return box != nullptr || shown != nullptr;
        },
        kTimeout));
    if (c.silent) {
      // "No" ends the program: its main window exists from the start but is never shown.
      EXPECT_EQ(shown, nullptr);
      ExpectBox(box, kSilentDone);
      ASSERT_NE(MainWindow(), nullptr) << "the main window exists while loading";
      ASSERT_TRUE(PressButton(box, L"&No"));
      bool everShown = false;
      WaitUntil(
          [&] {
            everShown = everShown || IsVisible(MainWindow());
            return !cleaner_.IsRunning();
          },
          kTimeout);
      EXPECT_FALSE(everShown);
      ExpectExit(0);
    } else {
      EXPECT_EQ(box, nullptr);
      EXPECT_NE(shown, nullptr);
    }
  }
}

// --- Windows versions ---

// A product entry in one Start Menu folder, made (with the folder if need be) and removed.
struct StartMenuEntry {
  explicit StartMenuEntry(const std::wstring& menu)
      : folderMade(CreateDirectoryW(menu.c_str(), nullptr) != FALSE),
        menu(menu),
        path(menu + L"\\Kelvora Quenzor Plexarium.url") {
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  ~StartMenuEntry() {
    DeleteFileW(path.c_str());
    if (folderMade) RemoveDirectoryW(menu.c_str());
  }
  bool Exists() const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  bool folderMade;
  std::wstring menu, path;
};

// The program starts under each version, scans the Start Menu of that version (major
// version 6 of NT: under AppData) and lists it. Without a manifest entry for 8.1 or
// later, Windows 10 reports itself as 6.2 to the program, and so does Wine.
TEST_F(StartupTest, StartMenuFollowsTheWindowsVersion) {
  const struct {
    const wchar_t* version;
    bool appData;
  } cases[] = {{L"winxp", false}, {L"vista", true}, {L"win7", true}, {L"win10", true}};
  wchar_t profile[MAX_PATH]{};
  ASSERT_GT(GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH), 0u);
  for (const auto& c : cases) {
    SCOPED_TRACE(win::ToUtf8(c.version));
    const win::WineAppDefault version(L"QuenzorCleaner.exe", L"", L"Version", c.version);
    ASSERT_TRUE(version.ok());
    StartMenuEntry old(std::wstring(profile) + L"\\Start Menu");
    StartMenuEntry appData(std::wstring(profile) +
                           L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu");
    ASSERT_TRUE(old.Exists() && appData.Exists());
    Start({.arguments = L"/s"});
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kSilentDone, L"&No"));
    ASSERT_TRUE(cleaner_.WaitForExit(kTimeout)) << "the program did not end";
    EXPECT_EQ(old.Exists(), c.appData);
    // The Start Menu the shell reports is scanned as well: Wine keeps it under AppData
    // whatever version it reports.
    EXPECT_FALSE(appData.Exists());
  }
}

// --- Leaving the program ---

struct LeaveCase {
  const char* name;
  void (*leave)(HWND main);
};

const LeaveCase kLeaveCases[] = {
    {"ExitButton", [](HWND main) { PressButton(main, L"E&xit"); }},
    {"CloseMessage", [](HWND main) { PostClose(main, /*viaSysCommand=*/false); }},
    {"CloseCommand", [](HWND main) { PostClose(main, /*viaSysCommand=*/true); }},
};

TEST_F(StartupTest, ReadyMainWindowAndLeavingItEndsTheProgramWithCodeZero) {
  for (const LeaveCase& c : kLeaveCases) {
    SCOPED_TRACE(c.name);
    Start({});
    HWND main = ReachMainWindow();
    ASSERT_NE(main, nullptr);
    // Ready: an empty list, "&Clean PC" usable, the focus on "E&xit", no box before a click.
    EXPECT_TRUE(ListLines().empty());
    EXPECT_TRUE(IsEnabled(Button(L"&Clean PC")));
    EXPECT_EQ(FocusOf(cleaner_.threadId()), Button(L"E&xit"));
    EXPECT_EQ(WaitForMessageBox(pid(), 300), nullptr) << "no box before a click";
    c.leave(main);
    ExpectExit(0);
    EXPECT_TRUE(TopWindowsOf(pid()).empty());
  }
}

}  // namespace
}  // namespace qc::e2e
