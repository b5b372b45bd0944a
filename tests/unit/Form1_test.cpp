// Start-up and the cleaning run: keywords, boxes and their order, the Information
// line, disabling "&Clean PC", silent No, and the exit code.
#include "app/Form1.h"

#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "fakes/FakeServices.h"

namespace qc::test {
namespace {

constexpr const char* kAckText =
    "All Quenzor and Internet Explorer applications will be closed.\r\n"
    "Are you sure you wish to continue?";
constexpr const char* kContinueText =
    "Quenzor and Internet Explorer processes Terminated.\r\nPress OK to continue.";
constexpr const char* kDoneText = "Process Complete.  Press OK to view the results.";
constexpr const char* kDoneSilentText = "Process Complete.  Would you like to view the results?";
constexpr const char* kInfoLine = "Information: No Quenzor or Internet Explorer Processes Running";

struct Rig : FakeServices {
  Form1 form{All()};

  explicit Rig(std::string args = {}) {
    commandLine.text = std::move(args);
    // A usable profile, as on any logged-on PC: the file stages refuse to run without one.
    env.vars["USERPROFILE"] = "C:\\Users\\me";
  }
  // Runs the load handler; returns the exit code when the program was ended in it.
  std::optional<int> Load() {
    try {
      form.Form_Load();
    } catch (const ProgramEnded& e) {
      return e.exitCode;
    }
    return std::nullopt;
  }
};

TEST(FormLoad, SelectsSilentModeOnlyForExactlyOneKeyword) {
  const struct {
    const char* args;
    bool silent;
  } cases[] = {
      {"silent", true},    {"SILENT", true},   {"SiLeNt", true},     {"/s", true},
      {"/S", true},        {"", false},        {"silent /s", false}, {"/s silent", false},
      {"-s", false},       {"s", false},       {"/silent", false},   {" silent", false},
      {"silent ", false},  {"/s x", false},    {"x /s", false},      {"\"silent\"", false},
      {"silent\t", false}, {"sil ent", false},
  };
  for (const auto& c : cases) {
    Rig rig(c.args);
    rig.Load();
    // Interactive starts show the acknowledgement and nothing else; silent ones never do.
    EXPECT_EQ(rig.ui.acknowledgements, c.silent ? 0 : 1) << c.args;
    if (!c.silent) {
      EXPECT_TRUE(rig.ui.boxes.empty()) << c.args;
    }
  }
}

TEST(FormLoad, OnlyAnAcceptedAcknowledgementLetsTheStartGoOn) {
  const struct {
    AckOutcome outcome;
    std::optional<int> exitCode;
  } cases[] = {
      {AckOutcome::Accepted, std::nullopt},
      {AckOutcome::Declined, 0},
      {AckOutcome::NotShown, 1},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.ui.acknowledgeOutcome = c.outcome;
    EXPECT_EQ(rig.Load(), c.exitCode);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_TRUE(rig.list.lines.empty());
    EXPECT_TRUE(rig.processes.events.empty());
    EXPECT_TRUE(rig.fs.log.empty());
  }
}

TEST(CommandLine, ArgumentTextFollowsTheProgramPathAndItsBlanks) {
  const struct {
    const char* cmd;
    const char* args;
  } cases[] = {
      {"C:\\x\\cleaner.exe", ""},
      {"C:\\x\\cleaner.exe /s", "/s"},
      {"\"C:\\Program Files\\x\\cleaner.exe\" silent", "silent"},
      {"\"C:\\Program Files\\x\\cleaner.exe\"silent", "silent"},
      {"cleaner.exe    /s  ", "/s  "},
      {"cleaner.exe\t/s", "/s"},
      {"cleaner.exe /s silent", "/s silent"},
      {"\"unterminated", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentTextFromCommandLine(c.cmd), c.args) << c.cmd;
  }
}

TEST(RunCleaning, InteractiveDeclinedShowsNothingDoneAndTouchesNothing) {
  Rig rig;
  rig.processes.running = {{10, "IEXPLORE.EXE"}};
  rig.ui.answers = {MsgAnswer::No};
  rig.form.btnClean_Click();
  EXPECT_EQ(rig.ui.boxes,
            (std::vector<ShownBox>{{kAckText, "Acknowledge", MsgButtons::YesNo},
                                   {"Nothing Done.", "Nothing Done", MsgButtons::Ok}}));
  EXPECT_TRUE(rig.list.lines.empty());
  EXPECT_TRUE(rig.processes.events.empty());
  EXPECT_TRUE(rig.fs.log.empty());
  EXPECT_TRUE(rig.ui.cleanEnabled);

  // A second click asks again.
  rig.ui.answers = {MsgAnswer::No};
  rig.form.btnClean_Click();
  EXPECT_EQ(rig.ui.boxes.size(), 4u);
  EXPECT_EQ(rig.ui.boxes[2].title, "Acknowledge");
  EXPECT_EQ(rig.form.ExitCode(), 0);
}

TEST(RunCleaning, InteractiveWithNothingRunningWritesInformationAndNoContinueBox) {
  Rig rig;
  rig.ui.answers = {MsgAnswer::Yes, MsgAnswer::Ok};
  rig.form.btnClean_Click();
  EXPECT_EQ(rig.ui.boxes, (std::vector<ShownBox>{{kAckText, "Acknowledge", MsgButtons::YesNo},
                                                 {kDoneText, "Done", MsgButtons::Ok}}));
  ASSERT_FALSE(rig.list.lines.empty());
  EXPECT_EQ(rig.list.lines.front(), kInfoLine);
  EXPECT_FALSE(rig.ui.cleanEnabled);
  EXPECT_EQ(rig.ui.events.back(), "disable");
  EXPECT_EQ(rig.form.ExitCode(), 0);
}

TEST(RunCleaning, BoxesFollowTheProcessSearchInBothModes) {
  // Until the process stage lists anything, every run finds nothing; the table also
  // pins the silent mode's single box.
  const struct {
    bool silent;
    std::vector<std::string> titles;
  } cases[] = {
      {false, {"Acknowledge", "Done"}},
      {true, {"Done"}},
  };
  for (const auto& c : cases) {
    Rig rig(c.silent ? "/s" : "");
    rig.processes.running = {{1, "explorer.exe"}};
    if (c.silent) {
      rig.Load();
    } else {
      rig.form.btnClean_Click();
    }
    std::vector<std::string> titles;
    for (const auto& b : rig.ui.boxes) titles.push_back(b.title);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(rig.list.lines.front(), kInfoLine);
  }
}

TEST(RunCleaning, SilentYesKeepsTheWindowAndDisablesCleanPc) {
  Rig rig("silent");
  rig.ui.answers = {MsgAnswer::Yes};
  EXPECT_EQ(rig.Load(), std::nullopt);
  ASSERT_EQ(rig.ui.boxes.size(), 1u);
  EXPECT_EQ(rig.ui.boxes[0], (ShownBox{kDoneSilentText, "Done", MsgButtons::YesNo}));
  EXPECT_FALSE(rig.ui.cleanEnabled);
  EXPECT_EQ(rig.ui.acknowledgements, 0);
}

TEST(RunCleaning, SilentNoEndsTheProgramBeforeDisabling) {
  Rig rig("/S");
  rig.ui.answers = {MsgAnswer::No};
  EXPECT_EQ(rig.Load(), 0);
  EXPECT_EQ(rig.ui.events, (std::vector<std::string>{"box:Done", "end:0"}));
  EXPECT_EQ(rig.list.lines, (std::vector<std::string>{kInfoLine}));
}

TEST(RunCleaning, SilentOnAnInvisibleWindowStationEndsWithoutAnyBox) {
  Rig rig("/s");
  rig.ui.desktopVisible = false;
  EXPECT_EQ(rig.Load(), 0);
  EXPECT_TRUE(rig.ui.boxes.empty());
  EXPECT_EQ(rig.list.lines, (std::vector<std::string>{kInfoLine}));
}

TEST(RunCleaning, InteractiveRunIgnoresTheWindowStation) {
  Rig rig;
  rig.ui.desktopVisible = false;
  rig.form.btnClean_Click();
  EXPECT_EQ(rig.ui.boxes.size(), 2u);
  EXPECT_FALSE(rig.ui.cleanEnabled);
}

TEST(ExitButton, UnloadsTheMainWindowWithoutAPrompt) {
  Rig rig;
  rig.form.btnExit_Click();
  EXPECT_TRUE(rig.ui.unloaded);
  EXPECT_TRUE(rig.ui.boxes.empty());
}

// As the system account: every real account's profile in path order, then the
// machine-wide places; the system profile and USERPROFILE play no part. An unreadable
// profile list gives one line for the run, and the machine-wide places still go.
TEST(RunCleaning, SystemAccountCleansEveryProfileThenTheMachineWidePlaces) {
  const std::string menu = "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
  const std::string sys = "C:\\Windows\\system32\\config\\systemprofile";
  for (const bool listFails : {false, true}) {
    SCOPED_TRACE(listFails);
    Rig rig("/s");
    rig.machine.localSystem = true;
    rig.env.vars["USERPROFILE"] = sys;
    rig.profiles.entries = std::vector<ProfileEntry>{{"S-1-5-18", sys},
                                                     {"S-1-5-21-1-1002", "C:\\Users\\zoe"},
                                                     {"S-1-5-21-1-1001", "C:\\Users\\Ann"}};
    if (listFails) rig.profiles.entries = std::nullopt;
    rig.shell.folders = {
        {ShellFolder::Profile, sys},
        {ShellFolder::Desktop, "C:\\Elsewhere"},
        {ShellFolder::CommonDesktop, "C:\\Users\\Public\\Desktop"},
        {ShellFolder::CommonStartMenu, "Relative\\Menu"},
        {ShellFolder::CommonStartup, "C:\\ProgramData" + menu + "\\Programs\\StartUp"}};
    const std::vector<std::string> files = {
        "C:\\Users\\Ann\\Norvane\\c.dat",
        "C:\\Users\\zoe\\Application Data\\Norvane\\c.dat",
        "C:\\Users\\Ann\\Desktop\\a.lnk",
        "C:\\Users\\zoe" + menu + "\\Programs\\StartUp\\Kelvora Quenzor Plexarium.url",
        "C:\\Users\\Public\\Desktop\\b.lnk",
        "C:\\ProgramData" + menu + "\\Programs\\StartUp\\Kelvora Quenzor Plexarium.url"};
    for (const std::string& f : files) rig.fs.AddFile(f, "KVAGENT.EXE");
    rig.fs.AddFile(sys + "\\Norvane\\keep.dat");
    rig.fs.AddFile(sys + "\\Desktop\\keep.lnk", "KVAGENT.EXE");
    rig.fs.AddFile("C:\\Elsewhere\\keep.lnk", "KVAGENT.EXE");
    rig.form.RunCleaning();

    // The two data folders, then the shortcuts; without the list, the machine-wide ones only.
    std::vector<std::string> want = {kInfoLine};
    if (listFails) want.push_back(kProfilesUnlistedLine);
    for (std::size_t i = listFails ? 4 : 0; i < files.size(); ++i) {
      const std::string folder = files[i].substr(0, files[i].size() - 6);  // without \c.dat
      want.push_back(i < 2 ? "Folder Deleted: " + folder : "File Deleted: " + files[i]);
    }
    EXPECT_EQ(rig.list.lines, want);
    EXPECT_TRUE(rig.fs.Exists(sys + "\\Norvane\\keep.dat") &&
                rig.fs.Exists(sys + "\\Desktop\\keep.lnk") &&
                rig.fs.Exists("C:\\Elsewhere\\keep.lnk"));
  }
}

}  // namespace
}  // namespace qc::test
