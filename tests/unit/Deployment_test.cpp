// A whole run's exit code and what unattended roll-outs rely on: the code follows the
// outcomes the stages report, never the text of the lines, and a stage that throws stops
// only itself; items in use go at the next restart; one clean-up at a time; the run log.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "fakes/FakeResults.h"
#include "fakes/FakeServices.h"

namespace qc::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kInstall = "C:\\Kelvora Quenzor 5.1";
const std::string kHeld = kInstall + "\\bin\\held.dll";
const std::string kComponent = "C:\\Windows\\Downloaded Program Files\\DuZide.exe";
const std::string kDesktop = "C:\\Users\\me\\Desktop";
const std::string kShortcuts = kDesktop + "\\Kelvora Quenzor Plexarium by Norvane";
const std::string kHeldShortcut = kShortcuts + "\\held.exe";
const std::string kAt = "File Deleted at Restart: ";
const std::string kAnn = "C:\\Users\\Ann Not Here";
const std::string kStartMenu = kAnn + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
const std::string kTempLog = "C:\\Temp\\QuenzorCleaner.log";

TEST(RestartRemoval, InUseItemsAndTheFoldersTheyKeepGoAtRestartOtherwiseTheNotLineStays) {
  const std::string readme = "File Deleted: " + kShortcuts + "\\readme.txt";
  const std::string folderAt = "Folder Deleted at Restart: " + kInstall;
  const std::string shortcutsAt = "Directory Removed at Restart: " + kShortcuts;
  const std::string shortcutsNot = "Directory Not Removed: " + kShortcuts;
  const struct {
    std::string how;  // KillFolder, KillFile or SearchDirDel; refused; something else stays
    Lines lines, scheduled;
  } cases[] = {
      {"d", {kAt + kHeld, folderAt}, {kHeld, kInstall + "\\bin", kInstall}},
      {"d refused", {"Folder Not Deleted: " + kInstall}, {}},
      {"d other", {"Folder Not Deleted: " + kInstall}, {}},
      {"d inner", {kAt + kHeld, "Folder Not Deleted: " + kInstall}, {kHeld}},
      {"f", {kAt + kComponent}, {kComponent}},
      {"f refused", {"File Not Deleted: " + kComponent}, {}},
      {"s", {shortcutsAt, kAt + kHeldShortcut, readme}, {kHeldShortcut, kShortcuts}},
      {"s refused", {shortcutsNot, "File Not Deleted: " + kHeldShortcut, readme}, {}},
      {"s other", {shortcutsNot, kAt + kHeldShortcut, readme}, {kHeldShortcut}},
  };
  // Held open, or by an opportunistic lock that an open would wait on: in use all the same.
  for (std::size_t run = 0; run < 2 * std::size(cases); ++run) {
    const auto& c = cases[run / 2];
    const bool oplock = run % 2 == 1;
    SCOPED_TRACE(oplock ? "oplock" : "held open");
    FakeFileSystem fs;
    FakeRestartRemoval restart;
    RecordingSink sink;
    for (const std::string& held : {kHeld, kComponent, kHeldShortcut}) {
      fs.AddFile(held);
      fs.Find(held)->locked = !oplock;
      fs.Find(held)->oplocked = oplock;
      if (c.how.ends_with("refused")) restart.refused.insert(held);
      if (c.how == "d inner") restart.refused.insert(kInstall + "\\bin");
    }
    fs.AddFile(kInstall + "\\a.txt");
    const bool otherStays = c.how.ends_with("other");
    fs.Find(kInstall + "\\a.txt")->denied = otherStays;
    fs.AddFile(kShortcuts + "\\readme.txt");
    if (otherStays) fs.AddFile(kShortcuts + "\\other.lnk", "KVVIEW.EXE");  // not selected
    if (c.how[0] == 'd') KillFolder(fs, sink, kInstall, restart);
    if (c.how[0] == 'f') KillFile(fs, sink, kComponent, restart);
    if (c.how[0] == 's') SearchDirDel(fs, sink, kDesktop, "Kelvora Quenzor Plexarium", restart);
    EXPECT_EQ(sink.lines, c.lines) << c.how;
    EXPECT_EQ(restart.scheduled, c.scheduled) << c.how;
  }
}

struct Rig : FakeServices {
  Form1 form{All()};

  Rig() {
    commandLine.text = "/s";
    env.vars["USERPROFILE"] = "C:\\Users\\me";
    env.vars["TEMP"] = "C:\\Temp";
    env.vars["SystemRoot"] = "C:\\Windows";
    fs.AddFile(kHeld);
  }
  // The code the process ends with: at EndProgram, or after the message loop.
  int Load() {
    try {
      form.Form_Load();
    } catch (const ProgramEnded& e) {
      return e.exitCode;
    }
    return form.ExitCode();
  }
  Lines Log(const std::string& path = kTempLog) { return logFile.Texts(path); }
};

TEST(DeploymentRun, ExitCodesAreTheSameHoweverTheSilentDoneBoxIsAnsweredAndTheLogEndsWithThem) {
  const struct {
    bool inUse, failure, otherRun;
    int code;
    EventLevel level;
  } cases[] = {{false, false, false, 0, EventLevel::Information},
               {true, false, false, 3010, EventLevel::Warning},
               {true, true, false, 1, EventLevel::Error},
               {false, false, true, 1618, EventLevel::Warning}};
  const std::optional<MsgAnswer> doneAnswers[] = {MsgAnswer::Yes, MsgAnswer::No, std::nullopt};
  for (const auto& c : cases) {
    for (const std::optional<MsgAnswer>& answer : doneAnswers) {
      Rig rig;
      rig.machine.administrator = true;
      rig.fs.Find(kHeld)->locked = c.inUse;
      if (c.failure) rig.fs.AddFile(kComponent, "", kAttrReadOnly);
      if (c.otherRun) rig.lock.outcome = LockOutcome::HeldElsewhere;
      rig.ui.desktopVisible = answer.has_value();
      if (answer) rig.ui.answers = {*answer};
      const std::string what = std::to_string(c.code) + (answer ? "" : ", no desktop");
      EXPECT_EQ(rig.Load(), c.code) << what;
      EXPECT_FALSE(rig.lock.held) << what;
      // The header, every line of the list in its order, the summary and the code. The
      // summary (or the line of a start that did nothing) is the event's text, with the
      // log's path; the status holds the code of a run that cleaned.
      const Lines log = rig.Log();
      ASSERT_EQ(log.size(), c.code == 1618 ? 1 : rig.list.lines.size() + 3) << what;
      EXPECT_TRUE(log.back().ends_with("exit code " + std::to_string(c.code))) << what;
      const std::string& told = c.code == 1618 ? log[0] : log[log.size() - 2];
      ASSERT_EQ(rig.events.events.size(), 1u) << what;
      EXPECT_EQ(rig.events.events[0].text, told + "\r\nLog: " + kTempLog) << what;
      EXPECT_EQ(rig.events.events[0].level, c.level) << what;
      if (c.code == 1618) {
        EXPECT_TRUE(rig.ui.boxes.empty() && rig.list.lines.empty()) << what;
        EXPECT_EQ(rig.keys.keys.count(kStatusKey), 0u) << what;
      } else {
        EXPECT_EQ(rig.keys.keys[kStatusKey]["ExitCode"].number, std::uint32_t(c.code)) << what;
        EXPECT_EQ(Lines(log.begin() + 1, log.end() - 2), rig.list.lines) << what;
      }
    }
  }
}

// An administrator's or the system account's run registers the event source with
// eventcreate's message file and records its status; any other run writes the event only
// where the source is registered already. The event names the log only where the log
// holds the run. None of it, nor a log, event or key that cannot be written, ever changes
// the run.
TEST(DeploymentRun, TheEventAndTheStatusKeyFollowTheAccountAndNeverChangeTheRun) {
  const struct {
    const char* what;
    bool system, admin, messageFile, registered, refused;
    bool evented, status;  // what the run leaves
    bool logged = true;
    std::function<void(Rig&)> spoil = [](Rig&) {};
  } cases[] = {
      {"system account", true, false, true, false, false, true, true},
      {"administrator", false, true, true, false, false, true, true},
      {"user", false, false, true, false, false, false, false},
      {"user, source registered", false, false, true, true, false, true, false},
      {"no EventCreate.exe", true, false, false, false, false, false, true},
      {"keys refused", true, false, true, false, true, false, false},
      {"event refused", true, false, true, false, false, true, true, true,
       [](Rig& r) { r.events.refuses = true; }},
      {"no log folder", true, false, true, false, false, true, true, false,
       [](Rig& r) { r.logFile.failing.insert("C:\\Windows\\Logs"); }},
      {"log unwritable", false, true, true, false, false, true, true, false,
       [](Rig& r) { r.logFile.failing.insert(kTempLog); }},
  };
  for (const auto& c : cases) {
    Rig rig, plain;
    for (Rig* r : {&rig, &plain}) {
      r->machine.localSystem = c.system;
      r->machine.administrator = c.admin;
    }
    if (!c.messageFile) rig.events.files.clear();
    auto& source = rig.keys.keys[kEventSourceKey];
    if (c.registered) source["EventMessageFile"].text = "%systemroot%\\system32\\EVENTCREATE.EXE";
    if (c.refused) rig.keys.failing = {kEventSourceKey, kStatusKey};
    c.spoil(rig);
    EXPECT_EQ(rig.Load(), plain.Load()) << c.what;
    EXPECT_EQ(rig.list.lines, plain.list.lines) << c.what;
    EXPECT_EQ(rig.events.events.size(), c.evented ? 1u : 0u) << c.what;
    const bool namesLog = !rig.events.events.empty() && rig.events.events[0].text.ends_with(".log");
    EXPECT_EQ(namesLog, c.evented && c.logged) << c.what;
    EXPECT_EQ(source["TypesSupported"].number, c.evented && !c.registered ? 7u : 0u) << c.what;
    EXPECT_EQ(rig.keys.keys[kStatusKey]["Version"].text, c.status ? "1.12" : "") << c.what;
    EXPECT_EQ(std::count(rig.keys.tried.begin(), rig.keys.tried.end(), kStatusKey),
              c.system || c.admin ? 1 : 0)
        << c.what;
    if (&c == &cases[0]) {
      EXPECT_EQ(rig.events.events[0].source, "QuenzorCleaner");
      EXPECT_EQ(source["EventMessageFile"].type, ValueType::ExpandableText);
      EXPECT_EQ(source["EventMessageFile"].text, "%SystemRoot%\\System32\\EventCreate.exe");
      EXPECT_EQ(rig.keys.keys[kStatusKey]["LastRunUtc"].text, "2024-05-01T11:45:07Z");
    }
  }
}

TEST(DeploymentRun, SilentRunShowsNoBoxInSessionZeroFromVistaOn) {
  const struct {
    std::optional<std::uint32_t> session;
    const char* version;
    bool boxShown;
  } cases[] = {
      {0, "10.0.19045", false},
      {0, "6.0.6002", false},
      {0, "5.1.2600", true},  // XP's first signed-in user works in session 0
      {1, "10.0.19045", true},
      {std::nullopt, "10.0.19045", true},
      {0, "", true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.machine.session = c.session;
    rig.machine.windowsVersion = c.version;
    rig.ui.answers = {MsgAnswer::No};
    EXPECT_EQ(rig.Load(), 0) << c.version;
    EXPECT_EQ(rig.ui.boxes.size(), c.boxShown ? 1u : 0u)
        << c.version << " " << c.session.value_or(9);
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
      {"another run", LockOutcome::HeldElsewhere, {"Acknowledge", "Busy"}, false},
      {"no lock to be had", LockOutcome::Failed, {"Acknowledge", "Done"}, true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.commandLine.text.clear();
    rig.lock.outcome = c.lock;
    if (c.titles.back() == "Nothing Done") rig.ui.answers = {MsgAnswer::No};
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

// Anyone may create an object under the lock's name first; only one that a run of this
// program could have made keeps a silent start out. A lock that cannot be made or taken
// at all stops nothing.
TEST(DeploymentRun, OnlyALockOfOursKeepsARunOutAnythingElseUnderItsNameIsNoted) {
  const std::string stranger = "S-1-5-21-9-9-9-1234", me = "S-1-5-21-7-7-7-1001";
  enum Account { kUser, kAdministrator, kSystem, kUserWithoutSid };
  using enum LockObject;
  const struct {
    const char* what;
    LockFacts found;
    Account account;
    RunLock decision;
    LockOutcome acquire = LockOutcome::HeldElsewhere;
  } cases[] = {
      {"ours, made by this account", {Existed, me}, kUser, RunLock::HeldElsewhere},
      {"ours, an administrator's", {Existed, "S-1-5-32-544"}, kSystem, RunLock::HeldElsewhere},
      {"ours, made by the system account", {Existed, "S-1-5-18"}, kUser, RunLock::HeldElsewhere},
      {"ours, free", {Existed, me}, kUser, RunLock::Held, LockOutcome::Acquired},
      {"ours, but taking it fails", {Existed, me}, kUser, RunLock::None, LockOutcome::Failed},
      {"made now", {Created, ""}, kAdministrator, RunLock::Held, LockOutcome::Acquired},
      {"made now, but taking it fails", {Created, ""}, kSystem, RunLock::None, LockOutcome::Failed},
      {"owned by another user", {Existed, stranger}, kUser, RunLock::NotOurs},
      {"naming no owner, nor the account", {Existed, ""}, kUserWithoutSid, RunLock::NotOurs},
      {"not a mutex", {NotAMutex, ""}, kUser, RunLock::NotOurs},
      {"keeps the system account out", {Denied, ""}, kSystem, RunLock::NotOurs},
      {"keeps an elevated administrator out", {Denied, ""}, kAdministrator, RunLock::NotOurs},
      {"keeps a user out (another user's run)", {Denied, ""}, kUser, RunLock::HeldElsewhere},
      // The fake would say another run holds it: a lock that cannot be made is not taken.
      {"cannot be made, a user", {Failed, ""}, kUser, RunLock::None},
      {"cannot be made, an administrator", {Failed, ""}, kAdministrator, RunLock::None},
      {"cannot be made, the system account", {Failed, ""}, kSystem, RunLock::None},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.machine.localSystem = c.account == kSystem;
    rig.machine.administrator = c.account == kAdministrator;
    if (c.account == kUserWithoutSid) rig.machine.accountSid.clear();
    rig.env.vars["SystemRoot"] = "C:\\Windows";
    rig.lock.found = c.found;
    rig.lock.outcome = c.acquire;
    EXPECT_EQ(TakeRunLock(rig.lock, rig.machine), c.decision) << c.what;
    const bool ran = c.decision != RunLock::HeldElsewhere;
    EXPECT_EQ(rig.Load() == 1618, !ran) << c.what;
    const Lines log =
        rig.Log(c.account == kSystem ? "C:\\Windows\\Logs\\QuenzorCleaner.log" : kTempLog);
    const bool noted = log.size() > 1 && log[1] == kLockNotOursNote;
    EXPECT_EQ(noted, c.decision == RunLock::NotOurs) << c.what;
    EXPECT_EQ(rig.list.lines.empty(), !ran) << c.what;
  }
}

TEST(RunOutcome, ExitCodeFollowsTheOutcomesAndAThrowingStageStopsOnlyItself) {
  const std::string lockedShortcutFile =
      kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted\\Error: x.txt";
  const struct {
    const char* what;
    std::function<void(Rig&)> spoil;
    int exitCode;
  } cases[] = {
      {"everything goes", [](Rig&) {}, 0},
      {"a process survives", [](Rig& r) { r.processes.unkillable = {7}; }, 1},
      {"processes cannot be listed", [](Rig& r) { r.processes.listFails = true; }, 1},
      {"a key stays",
       [](Rig& r) { r.registry.DenyDelete(kHkeyClassesRoot, "Kelvora.Downloader\\CLSID"); }, 1},
      {"a folder stays", [](Rig& r) { r.fs.Find(kInstall + "\\Do Not Delete.txt")->denied = true; },
       1},
      {"a file stays",
       [](Rig& r) {
         r.fs.AddFile("C:\\Windows\\Downloaded Program Files\\DuZide.exe", "", kAttrReadOnly);
       },
       1},
      {"a shortcut folder stays (in use, no restart removal)",
       [&](Rig& r) {
         r.fs.Find(lockedShortcutFile)->locked = true;
         r.restart.refused.insert(lockedShortcutFile);
       },
       1},
      {"no profile", [](Rig& r) { r.env.vars.erase("USERPROFILE"); }, 1},
      {"Error: Ending the processes stopped unexpectedly",
       [](Rig& r) { r.processes.listThrows = true; }, 1},
      {"Error: Cleaning the registry stopped unexpectedly",
       [](Rig& r) { r.registry.throwOnOpen = true; }, 1},
      {"Error: Cleaning the folders and files stopped unexpectedly",
       [](Rig& r) { r.fs.throwIn = kInstall; }, 1},
      {"Error: Cleaning the shortcuts stopped unexpectedly",
       [](Rig& r) { r.fs.throwIn = kStartMenu; }, 1},
  };
  for (const auto& c : cases) {
    Rig rig;  // something for every stage to do, with names that read like failures
    rig.env.vars["USERPROFILE"] = kAnn;
    rig.processes.running = {{7, "iexplore.exe"}};
    rig.registry.AddKey(kHkeyClassesRoot, "Kelvora.Downloader\\CLSID");
    for (const std::string& f : {kInstall + "\\Do Not Delete.txt",
                                 kAnn + "\\Norvane\\Error: log.txt", lockedShortcutFile}) {
      rig.fs.AddFile(f);
    }
    c.spoil(rig);
    rig.form.btnClean_Click();
    EXPECT_EQ(rig.form.ExitCode(), c.exitCode) << c.what;
    const std::vector<std::string>& lines = rig.list.lines;
    if (std::string_view(c.what).starts_with("Error: ")) {
      // One line names the stage that stopped; the later stages and "Done" still came.
      EXPECT_EQ(std::count(lines.begin(), lines.end(), c.what), 1) << c.what;
      EXPECT_TRUE(lines.back() == c.what || lines.back() == "File Deleted: " + lockedShortcutFile)
          << c.what;
      EXPECT_EQ(rig.ui.boxes.back().title, "Done") << c.what;
    }
    if (c.exitCode == 0) {
      // The success really did write lines that a text search would take for failures.
      std::string all;
      for (const std::string& line : lines) all += line + "\n";
      for (const char* text : {" Not ", "Error: ", "Not Deleted"}) {
        EXPECT_NE(all.find(text), std::string::npos) << text;
      }
    }
  }
}

}  // namespace
}  // namespace qc::test
