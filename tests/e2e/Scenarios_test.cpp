// Whole cleaning runs on a seeded machine: the complete results list in its order, every
// box, the machine afterwards (targets gone, decoys intact), the main window and the exit
// code, in both modes and with the faults a real PC has.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
// clang-format on

#include <algorithm>
#include <functional>
#include <optional>

#include "tests/e2e/CleanerTest.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "tests/e2e/driver/SeedExpectation.h"
#include "win32/WineAppDefault.h"

namespace qc::e2e {
namespace {

// A whole run under Wine, WMI start-up included, can take a while on a busy machine.
constexpr DWORD kTimeout = 60000;
bool LoadsModule(DWORD pid, const wchar_t* module) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL ok = Module32FirstW(snap, &entry); ok && !found; ok = Module32NextW(snap, &entry)) {
    found = SameText(entry.szModule, module);
  }
  CloseHandle(snap);
  return found;
}

// The process lines come first, in the order the processes were enumerated; everything
// after them is in a fixed order.
void ExpectLines(const Lines& got, const Expectation& want) {
  Lines processes = want.processLines();
  ASSERT_GE(got.size(), processes.size());
  Lines gotProcesses(got.begin(), got.begin() + std::ptrdiff_t(processes.size()));
  std::sort(processes.begin(), processes.end());
  std::sort(gotProcesses.begin(), gotProcesses.end());
  EXPECT_EQ(gotProcesses, processes);
  EXPECT_EQ(Lines(got.begin() + std::ptrdiff_t(processes.size()), got.end()), want.rest());
}

class ScenarioTest : public CleanerTest {
 protected:
  ScenarioTest() : CleanerTest(kTimeout) {}

  void TearDown() override {
    cleaner_.Kill();
    seed_.reset();
  }

  void Seed(SeedOptions options = DefaultSeedOptions()) {
    cleaner_.Kill();
    seed_.reset();
    seed_.emplace(std::move(options));
    std::wstring error;
    ASSERT_TRUE(seed_->LayDown(&error)) << Utf8(error);
  }
  void Start(LaunchOptions options, const std::wstring& exe = CleanerPath()) {
    if (options.workingDirectory.empty()) options.workingDirectory = DownloadsFolder();
    auto started = Process::Start(exe, options);
    ASSERT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
    cleaner_ = std::move(*started);
  }

  HWND ReachMainWindow() {
    HWND ack = WaitForWindow(pid(), kAckCaption, kTimeout);
    if (ack == nullptr || !PressButton(ack, L"I &Accept")) return nullptr;
    return WaitForWindow(pid(), kMainCaption, kTimeout);
  }

  // Every decoy is there; every target is gone unless `stays` says it should be there.
  void ExpectMachineAfter(const std::function<bool(const Trace&)>& stays) {
    for (const Trace& t : seed_->traces()) {
      const bool there = Seeder::Exists(t);
      EXPECT_EQ(there, t.decoy || stays(t)) << (t.decoy ? "decoy " : "target ") << Utf8(t.path);
    }
  }
  void ExpectMachineAfter() {
    ExpectMachineAfter([](const Trace&) { return false; });
  }
  void ExpectMachineUntouched() {
    for (const Trace& t : seed_->traces()) EXPECT_TRUE(Seeder::Exists(t)) << Utf8(t.path);
  }

  // The main window after an answered "Done": shown, the lines in, "&Clean PC" off.
  void ExpectFinishedWindow(const Expectation& want) {
    HWND main = WaitForWindow(pid(), kMainCaption, kTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(Button(L"&Clean PC")); }, kTimeout));
    ExpectLines(ListLines(), want);
    EXPECT_TRUE(IsEnabled(Button(L"E&xit")));
    EXPECT_TRUE(IsEnabled(main));
    EXPECT_EQ(WaitForMessageBox(pid(), 200), nullptr);
  }

  // A silent run answered Yes, up to the program's end through "E&xit".
  void SilentRunAnsweredYes(const Expectation& want, std::optional<bool> wmi = std::nullopt) {
    HWND box = WaitForMessageBox(pid(), kTimeout);
    ExpectBox(box, kSilentDone);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsVisible(MainWindow())) << "main window shown before the answer";
    if (wmi) {
      EXPECT_EQ(LoadsModule(pid(), L"wbemprox.dll"), *wmi) << "WMI in use";
    }
    ASSERT_TRUE(PressButton(box, L"&Yes"));
    ASSERT_NO_FATAL_FAILURE(ExpectFinishedWindow(want));
    shownLines_ = ListLines();
    ASSERT_TRUE(PressButton(MainWindow(), L"E&xit"));
    ExpectExit(want.exitCode());
  }

  std::optional<Seeder> seed_;
  Lines shownLines_;  // the results list of the last silent run answered Yes
};

// A copy of the cleaner under its own name, for which Wine loads no WMI provider: the
// processes must then be found by other means. Gone again with the object.
class CleanerWithoutWmi {
 public:
  CleanerWithoutWmi() : copied_(CopyFileW(CleanerPath().c_str(), path().c_str(), FALSE) != 0) {}
  ~CleanerWithoutWmi() { DeleteFileW(path().c_str()); }
  bool ok() const { return copied_ && noWmi_.ok(); }
  static std::wstring path() { return BesideExe(kName); }

 private:
  static constexpr wchar_t kName[] = L"QuenzorCleanerNoWmi.exe";
  bool copied_;
  win::WineAppDefault noWmi_{kName, win::kWithoutWmi, L"wbemprox", L""};
};

// A silent run answered Yes on a machine with something unusual about it.
struct RunSetup {
  SeedOptions seed = DefaultSeedOptions();
  LaunchOptions launch{.arguments = L"/s"};
  std::wstring exe = CleanerPath();
  Faults faults;
  std::function<bool(const Trace&)> stays = [](const Trace&) { return false; };
  std::optional<bool> wmi;
};

class SilentScenarioTest : public ScenarioTest {
 public:
  struct Case {
    const char* name;
    // Adjusts the setup before seeding, or lays faults after it (seeded == true).
    void (SilentScenarioTest::*prepare)(RunSetup& setup, bool seeded);
    void (SilentScenarioTest::*check)(const RunSetup& setup);  // the machine after; may be null
  };

  void Run(const Case& c) {
    SCOPED_TRACE(c.name);
    RunSetup setup;
    (this->*c.prepare)(setup, false);
    ASSERT_NO_FATAL_FAILURE(Seed(setup.seed));
    (this->*c.prepare)(setup, true);
    ASSERT_FALSE(HasFatalFailure());
    const Expectation want(*seed_, setup.faults);
    DeleteFileW(TempLog().c_str());
    Start(setup.launch, setup.exe);
    ASSERT_NO_FATAL_FAILURE(SilentRunAnsweredYes(want, setup.wmi));
    ExpectMachineAfter(setup.stays);
    ExpectRunLog(ReadTempLog(), shownLines_, want.exitCode());
    if (c.check != nullptr) (this->*c.check)(setup);
    for (const auto& [folder, before] : precious_) EXPECT_EQ(Tree(folder), before) << Utf8(folder);
    precious_.clear();
  }

  // A read-only component file stays and is reported. (A file held open goes at the
  // next restart: Deployment_test.cpp.)
  void ReadOnly(RunSetup& setup, bool seeded) {
    if (!seeded) return;
    ASSERT_TRUE(SetFileAttributesW(kReadOnly, FILE_ATTRIBUTE_READONLY));
    setup.faults.outcomes = {{kReadOnly, Outcome::Stays}};
    setup.stays = [](const Trace& t) { return SameText(t.path, kReadOnly); };
  }
  void CheckReadOnly(const RunSetup&) {
    EXPECT_NE(GetFileAttributesW(kReadOnly) & FILE_ATTRIBUTE_READONLY, 0u);
  }

  // Links to precious folders: one inside a product folder, one in the Start Menu named
  // like the product. Each link goes (or stays where the platform cannot remove it);
  // what they point at stays whole.
  void LinksToPreciousFolders(RunSetup& setup, bool seeded) {
    if (!seeded) return;
    const std::wstring menuLink = seed_->options().startMenu + L"\\Kelvora Quenzor Plexarium Tools";
    std::wstring error;
    ASSERT_TRUE(seed_->AddFolderLink(kInnerLink, L"C:\\qc-precious-shared", &error)) << Utf8(error);
    ASSERT_TRUE(seed_->AddFolderLink(menuLink, L"C:\\qc-precious-menu", &error)) << Utf8(error);
    for (const wchar_t* folder : {L"C:\\qc-precious-shared", L"C:\\qc-precious-menu"}) {
      precious_.emplace_back(folder, Tree(folder));
      ASSERT_GT(precious_.back().second.size(), 3u);
    }
    setup.faults.outcomes = {{L"C:\\Kelvora Quenzor 6.1", Outcome::AsFound}};
    setup.faults.selectedLinks = {menuLink};
    setup.stays = [](const Trace& t) {
      return SameText(t.path, L"C:\\Kelvora Quenzor 6.1") && IsFolderLink(kInnerLink);
    };
  }
  void CheckLinks(const RunSetup&) {
    if (IsFolder(L"C:\\Kelvora Quenzor 6.1")) {
      EXPECT_EQ(Tree(L"C:\\Kelvora Quenzor 6.1"), Lines{kInnerLink}) << "only the link stays";
    }
  }

  // No USERPROFILE: every per-user item stays, with one error line for each stage that
  // needs it; everything else is still cleaned.
  void NoProfile(RunSetup& setup, bool seeded) {
    if (seeded) return;
    setup.launch.environment = {{L"USERPROFILE", std::nullopt}};
    setup.faults.profileHidden = true;
    const std::wstring profile = setup.seed.profile + L"\\";
    setup.stays = [profile](const Trace& t) {
      return t.path.size() > profile.size() && SameText(t.path.substr(0, profile.size()), profile);
    };
  }

  // A profile folder whose name holds letters outside ASCII and outside the ANSI code
  // page: every per-user path must survive the trip through the program intact.
  void NonAsciiProfile(RunSetup& setup, bool seeded) {
    if (seeded) return;
    const std::wstring menuTail = setup.seed.startMenu.substr(setup.seed.profile.size());
    setup.seed.profile = L"C:\\users\\Zo\u00eb \u0141\u00f3d\u017a \u0416\u0435\u043d\u044f";
    setup.seed.startMenu = setup.seed.profile + menuTail;
    setup.launch.environment = {{L"USERPROFILE", setup.seed.profile}};
  }

  // Started as a service is, from C:\Windows\System32, which holds a folder named like
  // an installation folder: the lines are those of any other start, and that folder stays.
  void FromSystem32(RunSetup& setup, bool seeded) {
    const std::wstring system32 = L"C:\\Windows\\System32";
    if (!seeded) {
      setup.launch.workingDirectory = system32;
      return;
    }
    std::wstring error;
    ASSERT_TRUE(seed_->AddDecoyFolder(system32 + L"\\Kelvora Quenzor 5.1", &error)) << Utf8(error);
  }

  void WithoutWmi(RunSetup& setup, bool seeded) {
    if (seeded) return;
    noWmi_.emplace();
    ASSERT_TRUE(noWmi_->ok());
    setup.exe = CleanerWithoutWmi::path();
    setup.wmi = false;
  }

  void TearDown() override {
    ScenarioTest::TearDown();
    noWmi_.reset();
  }

  static constexpr const wchar_t* kReadOnly = L"C:\\Windows\\Downloaded Program Files\\DuZide.exe";
  static constexpr const wchar_t* kInnerLink = L"C:\\Kelvora Quenzor 6.1\\Shared";

  std::optional<CleanerWithoutWmi> noWmi_;
  std::vector<std::pair<std::wstring, Lines>> precious_;
};

// --- Silent runs ---

TEST_F(ScenarioTest, SilentRunsAnsweredYesAndNo) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    ASSERT_NO_FATAL_FAILURE(Seed());
    const Faults none;
    const Expectation want(*seed_, none);
    Start({.arguments = L"/s"});
    HWND box = WaitForMessageBox(pid(), kTimeout);
    ExpectBox(box, kSilentDone);
    ASSERT_NE(box, nullptr);
    // Only this box was shown, and every line is in before it opens.
    EXPECT_EQ(FindTopWindow(pid(), kAckCaption), nullptr);
    EXPECT_FALSE(IsVisible(MainWindow()));
    ExpectLines(ListLines(), want);
    EXPECT_TRUE(LoadsModule(pid(), L"wbemprox.dll")) << "processes listed without WMI";
    ASSERT_TRUE(PressButton(box, yes ? L"&Yes" : L"&No"));
    if (yes) {
      ASSERT_NO_FATAL_FAILURE(ExpectFinishedWindow(want));
      ASSERT_TRUE(PressButton(MainWindow(), L"E&xit"));
    } else {
      bool shown = false;
      WaitUntil([&] { return (shown = shown || IsVisible(MainWindow())), !cleaner_.IsRunning(); },
                kTimeout);
      EXPECT_FALSE(shown) << "main window shown after No";
    }
    ExpectExit(0);
    ExpectMachineAfter();
  }
  // A second run on the machine just cleaned finds nothing of the product.
  Start({.arguments = L"/s"});
  Faults none;
  Seeder nothing(DefaultSeedOptions());  // an empty seed: no traces expected
  const Expectation again(nothing, none);
  ASSERT_EQ(again.rest(), Lines{kNoProcessesLine});
  ASSERT_NO_FATAL_FAILURE(SilentRunAnsweredYes(again));
  ExpectMachineAfter();
}

// --- Interactive runs ---

TEST_F(ScenarioTest, InteractiveRunsDeclinedThenAccepted) {
  for (const bool processes : {true, false}) {
    SCOPED_TRACE(processes ? "with processes" : "without processes");
    SeedOptions options = DefaultSeedOptions();
    options.processes = processes;
    ASSERT_NO_FATAL_FAILURE(Seed(options));
    Start({});
    HWND main = ReachMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PressButton(main, L"&Clean PC"));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kAcknowledge, L"&No"));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kNothingDone, L"OK"));
    EXPECT_TRUE(ListLines().empty());
    EXPECT_TRUE(IsEnabled(Button(L"&Clean PC")));
    ExpectMachineUntouched();

    const Faults none;
    const Expectation want(*seed_, none);
    ASSERT_TRUE(PressButton(main, L"&Clean PC"));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(kAcknowledge, L"&Yes"));
    HWND box = WaitForMessageBox(pid(), kTimeout);
    ASSERT_NE(box, nullptr);
    if (processes) {
      // The processes are ended, and nothing else done, before "Continue" opens.
      ExpectBox(box, kContinue);
      Lines got = ListLines();
      Lines lines = want.processLines();
      std::sort(got.begin(), got.end());
      std::sort(lines.begin(), lines.end());
      EXPECT_EQ(got, lines);
      ExpectMachineAfter([](const Trace& t) { return t.kind != TraceKind::Process; });
      EXPECT_FALSE(IsEnabled(main)) << "main window takes input under a box";
      ASSERT_TRUE(PressButton(box, L"OK"));
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kTimeout));
      box = WaitForMessageBox(pid(), kTimeout);
    }
    ExpectBox(box, kInteractiveDone);
    ExpectLines(ListLines(), want);
    ExpectMachineAfter();
    ASSERT_TRUE(PressButton(box, L"OK"));
    ASSERT_NO_FATAL_FAILURE(ExpectFinishedWindow(want));
    ASSERT_TRUE(PressButton(main, L"E&xit"));
    ExpectExit(0);
  }
}

// --- Faults and unusual surroundings ---

TEST_F(SilentScenarioTest, FaultsOnTheMachineAreReportedAndContained) {
  const Case cases[] = {
      {"read-only file", &SilentScenarioTest::ReadOnly, &SilentScenarioTest::CheckReadOnly},
      {"links to precious folders", &SilentScenarioTest::LinksToPreciousFolders,
       &SilentScenarioTest::CheckLinks},
  };
  for (const Case& c : cases) ASSERT_NO_FATAL_FAILURE(Run(c));
}

TEST_F(SilentScenarioTest, UnusualSurroundings) {
  const Case cases[] = {
      {"USERPROFILE missing", &SilentScenarioTest::NoProfile, nullptr},
      {"non-ASCII profile folder", &SilentScenarioTest::NonAsciiProfile, nullptr},
      {"WMI unavailable", &SilentScenarioTest::WithoutWmi, nullptr},
      {"started from C:\\Windows\\System32", &SilentScenarioTest::FromSystem32, nullptr},
  };
  for (const Case& c : cases) ASSERT_NO_FATAL_FAILURE(Run(c));
}

}  // namespace
}  // namespace qc::e2e
