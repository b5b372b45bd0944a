// What unattended roll-outs rely on: items in use deleted at the next restart, the exit
// codes deployment systems read, one clean-up at a time, and the run log.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>

#include "app/Form1.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeResults.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeUi.h"
#include "files/FileCleaner.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kInstall = "C:\\Kelvora Quenzor 5.1";
const std::string kHeld = kInstall + "\\bin\\held.dll";
const std::string kComponent = "C:\\Windows\\Downloaded Program Files\\DuZide.exe";
const std::string kDesktop = "C:\\Users\\me\\Desktop";
const std::string kShortcuts = kDesktop + "\\Kelvora Quenzor Plexarium by Norvane";
const std::string kHeldShortcut = kShortcuts + "\\held.exe";

TEST(RestartRemoval, InUseItemsAndTheFoldersTheyKeepGoAtRestartOtherwiseTheNotLineStays) {
  const auto killFolder = [](FakeFileSystem& fs, IResultsSink& s, FakeRestartRemoval& r) {
    KillFolder(fs, s, kInstall, &r);
  };
  const auto killFile = [](FakeFileSystem& fs, IResultsSink& s, FakeRestartRemoval& r) {
    KillFile(fs, s, kComponent, &r);
  };
  const auto scan = [](FakeFileSystem& fs, IResultsSink& s, FakeRestartRemoval& r) {
    SearchDirDel(fs, s, kDesktop, "Kelvora Quenzor Plexarium by Norvane", false, &r);
  };
  using Act = std::function<void(FakeFileSystem&, IResultsSink&, FakeRestartRemoval&)>;
  const struct {
    const char* what;
    Act act;
    std::function<void(FakeFileSystem&, FakeRestartRemoval&)> spoil;
    Lines lines;
    Lines scheduled;
  } cases[] = {
      {"install folder",
       killFolder,
       [](auto&, auto&) {},
       {"File Deleted at Restart: " + kHeld, "Folder Deleted at Restart: " + kInstall},
       {kHeld, kInstall + "\\bin", kInstall}},
      {"install folder, refused",
       killFolder,
       [](auto&, auto& r) { r.refused = {kHeld}; },
       {"Folder Not Deleted: " + kInstall},
       {}},
      {"install folder, something denied too",
       killFolder,
       [](auto& fs, auto&) { fs.Find(kInstall + "\\a.txt")->denied = true; },
       {"Folder Not Deleted: " + kInstall},
       {}},
      {"component file",
       killFile,
       [](auto&, auto&) {},
       {"File Deleted at Restart: " + kComponent},
       {kComponent}},
      {"component file, refused",
       killFile,
       [](auto&, auto& r) { r.refused = {kComponent}; },
       {"File Not Deleted: " + kComponent},
       {}},
      {"shortcut folder",
       scan,
       [](auto&, auto&) {},
       {"Directory Removed at Restart: " + kShortcuts, "File Deleted at Restart: " + kHeldShortcut,
        "File Deleted: " + kShortcuts + "\\readme.txt"},
       {kHeldShortcut, kShortcuts}},
      {"shortcut folder, refused",
       scan,
       [](auto&, auto& r) { r.refused = {kHeldShortcut}; },
       {"Directory Not Removed: " + kShortcuts, "File Not Deleted: " + kHeldShortcut,
        "File Deleted: " + kShortcuts + "\\readme.txt"},
       {}},
      {"shortcut folder, a shortcut stays for good",
       scan,
       [](auto& fs, auto&) { fs.AddFile(kShortcuts + "\\other.lnk", "KVVIEW.EXE"); },
       {"Directory Not Removed: " + kShortcuts, "File Deleted at Restart: " + kHeldShortcut,
        "File Deleted: " + kShortcuts + "\\readme.txt"},
       {kHeldShortcut}},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    FakeRestartRemoval restart;
    RecordingSink sink;
    for (const std::string& held : {kHeld, kComponent, kHeldShortcut}) {
      fs.AddFile(held);
      fs.Find(held)->locked = true;
    }
    fs.AddFile(kInstall + "\\a.txt");
    fs.AddFile(kShortcuts + "\\readme.txt");
    c.spoil(fs, restart);
    c.act(fs, sink, restart);
    EXPECT_EQ(sink.lines, c.lines) << c.what;
    EXPECT_EQ(restart.scheduled, c.scheduled) << c.what;
    for (std::size_t i = 0; i < sink.lines.size(); ++i) {
      const bool atRestart = sink.lines[i].find(" at Restart: ") != std::string::npos;
      const bool failed = sink.lines[i].find(" Not ") != std::string::npos;
      EXPECT_EQ(sink.outcomes[i], atRestart ? Outcome::ScheduledAtRestart
                                  : failed  ? Outcome::Failure
                                            : Outcome::Success)
          << sink.lines[i];
    }
  }
}

struct Rig {
  FakeUi ui;
  RecordingList list;
  FakeCommandLine commandLine{"/s"};
  FakeProcesses processes;
  FakeRegistry registry;
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  FakeMachine machine;
  FakeClock clock;
  FakeLogFile logFile;
  FakeInstanceLock lock;
  FakeRestartRemoval restart;
  Form1 form{{ui, list, commandLine, processes, registry, fs, env, os, nullptr, nullptr, nullptr,
              &machine, &clock, &logFile, &lock, &restart}};

  Rig() {
    env.vars["USERPROFILE"] = "C:\\Users\\me";
    env.vars["TEMP"] = "C:\\Temp";
    fs.AddFile(kHeld);
  }
  // The code the process ends with: at EndProgram, or after the message loop.
  int Start(std::function<void()> action) {
    try {
      action();
    } catch (const ProgramEnded& e) {
      return e.exitCode;
    }
    return form.ExitCode();
  }
  Lines Log() {
    Lines lines;
    std::istringstream in(logFile.files["C:\\Temp\\QuenzorCleaner.log"]);
    for (std::string line; std::getline(in, line, '\n');) lines.push_back(line);
    return lines;
  }
};

TEST(DeploymentRun, ExitCodesAreTheSameHoweverTheSilentDoneBoxIsAnsweredAndTheLogEndsWithThem) {
  const struct {
    const char* what;
    std::function<void(Rig&)> spoil;
    int code;
  } cases[] = {
      {"all done", [](Rig&) {}, 0},
      {"a file in use", [](Rig& r) { r.fs.Find(kHeld)->locked = true; }, 3010},
      {"in use and a failure",
       [](Rig& r) {
         r.fs.Find(kHeld)->locked = true;
         r.fs.AddFile(kComponent, "", kAttrReadOnly);
       },
       1},
      {"another run", [](Rig& r) { r.lock.outcome = LockOutcome::HeldElsewhere; }, 1618},
  };
  const std::optional<MsgAnswer> doneAnswers[] = {MsgAnswer::Yes, MsgAnswer::No, std::nullopt};
  for (const auto& c : cases) {
    for (const std::optional<MsgAnswer>& answer : doneAnswers) {
      Rig rig;
      c.spoil(rig);
      rig.ui.desktopVisible = answer.has_value();
      if (answer) rig.ui.answers = {*answer};
      const std::string what = std::string(c.what) + (answer ? "" : ", no desktop");
      EXPECT_EQ(rig.Start([&] { rig.form.Form_Load(); }), c.code) << what;
      EXPECT_FALSE(rig.lock.held) << what;
      // The log holds the header, every line of the list in its order, and the code.
      const Lines log = rig.Log();
      ASSERT_EQ(log.size(), c.code == 1618 ? 1 : rig.list.lines.size() + 2) << what;
      for (std::size_t i = 0; i < rig.list.lines.size(); ++i) {
        EXPECT_TRUE(log[i + 1].ends_with(" " + rig.list.lines[i] + "\r")) << log[i + 1];
      }
      EXPECT_TRUE(log.back().ends_with(" exit code " + std::to_string(c.code) + "\r")) << what;
      if (c.code == 1618) {
        EXPECT_TRUE(rig.ui.boxes.empty() && rig.list.lines.empty()) << what;
      }
    }
  }
}

TEST(DeploymentRun, InteractiveDeclineOrBusyWritesNothingAndRunsNothing) {
  const struct {
    const char* what;
    LockOutcome lock;
    Lines titles;
    bool logged;
  } cases[] = {
      {"declined", LockOutcome::Acquired, {"Acknowledge", "Nothing Done"}, false},
      {"another run", LockOutcome::HeldElsewhere, {"Busy"}, false},
      {"no lock to be had", LockOutcome::Failed, {"Acknowledge", "Done"}, true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.commandLine.text.clear();
    rig.lock.outcome = c.lock;
    rig.ui.answers = {MsgAnswer::No};
    if (c.logged) rig.ui.answers.clear();
    rig.form.Form_Load();
    rig.form.btnClean_Click();
    Lines titles;
    for (const ShownBox& box : rig.ui.boxes) titles.push_back(box.title);
    EXPECT_EQ(titles, c.titles) << c.what;
    EXPECT_EQ(rig.fs.Exists(kHeld), !c.logged) << c.what;
    EXPECT_EQ(rig.logFile.files.empty(), !c.logged) << c.what;
    EXPECT_EQ(rig.ui.cleanEnabled, !c.logged) << c.what;
    EXPECT_FALSE(rig.lock.held) << c.what;
  }
}

}  // namespace
}  // namespace qc::test
