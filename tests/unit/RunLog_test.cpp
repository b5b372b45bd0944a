// The run log: its lines as the log viewer reads them, its rotation past 1 MiB, its
// folder for the system account, a file someone else owns, and a log that cannot be
// written.
#include "app/RunLog.h"

#include <gtest/gtest.h>

#include <map>

#include "app/RunResults.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeUi.h"

namespace qc::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kLog = "C:\\Temp\\QuenzorCleaner.log";
const std::string kOld = "C:\\Temp\\QuenzorCleaner.old.log";

class RunLogTest : public ::testing::Test {
 protected:
  RunLogTest() { env_.vars["TEMP"] = "C:\\Temp\\"; }
  void Run() {
    RunLog log({file_, env_, machine_, clock_, security_});
    log.Begin(true);
    log.Line("Folder Deleted: C:\\Kelvora Quenzor 5.1", LineType::Information, "folders");
    log.End("Summary: 1 removed", 3010);
    log.Line("after the end", LineType::Information, "folders");
  }
  bool EndsWithARun(const std::string& path) {
    const Lines texts = file_.Texts(path);
    return !texts.empty() && texts.back() == "Finished; exit code 3010";
  }
  FakeLogFile file_;
  FakeEnvironment env_;
  FakeMachine machine_;
  FakeClock clock_;
  FakePathSecurity security_;
};

TEST_F(RunLogTest, HeaderLinesSummaryAndExitCodeAppendedRunAfterRun) {
  machine_.windows64 = true;
  machine_.account = "NT AUTHORITY\\SYSTEM";
  file_.files[kLog] = "earlier\r\n";
  Run();
  EXPECT_EQ(file_.Texts(kLog), (Lines{"earlier\r",
                                      "QuenzorCleaner 1.12 started; account NT AUTHORITY\\SYSTEM; "
                                      "silent mode; Windows 10.0.19045, 64-bit",
                                      "Folder Deleted: C:\\Kelvora Quenzor 5.1",
                                      "Summary: 1 removed", "Finished; exit code 3010"}));
}

// The type follows the outcome, never words inside a path; the bias carries one sign.
TEST_F(RunLogTest, ResultsListLinesBecomeCmTraceLinesTypedByTheirOutcomeUnderTheirStage) {
  const struct {
    const char* component;
    std::string line;
    Outcome outcome;
    int bias;
    std::string time;  // with the bias
    int type;
  } cases[] = {
      {"processes", "Information: No Quenzor or Internet Explorer Processes Running",
       Outcome::Success, 300, "08.025+300", 1},
      {"processes", "Process Terminated: Internet Explorer", Outcome::Success, 0, "09.025+0", 1},
      {"processes", "Process Not Terminated: Kelvora Quenzor Plexarium", Outcome::Failure, -60,
       "10.025-60", 3},
      {"registry", "Registry Key Deleted: HKEY_CLASSES_ROOT\\Kelvora.Downloader", Outcome::Success,
       -570, "11.025-570", 1},
      {"folders", "File Deleted: C:\\Users\\Ann Not Here\\Norvane\\error.log", Outcome::Success, 60,
       "12.025+60", 1},
      {"folders", "Folder Deleted at Restart: C:\\Kelvora Quenzor 5.1", Outcome::ScheduledAtRestart,
       60, "13.025+60", 2},
      {"shortcuts", "Directory Not Removed: C:\\Users\\me\\Desktop\\Kelvora Quenzor Plexarium",
       Outcome::Failure, 60, "14.025+60", 3},
      {"shortcuts", "Error: The user profile folder is unknown; the shortcuts were not cleaned",
       Outcome::Failure, 60, "15.025+60", 3},
  };
  RecordingList list;
  RunLog log({file_, env_, machine_, clock_, security_});
  RunResults results(list, log);
  log.Begin(true);
  for (const auto& c : cases) {
    clock_.now.biasMinutes = c.bias;
    results.SetComponent(c.component);
    results.Add(c.line, c.outcome);
  }
  log.End(SummaryLine(results.Counts(), results.ExitCode()), results.ExitCode());
  std::string lines;
  for (const auto& c : cases) {
    lines += "<![LOG[" + c.line + "]LOG]!><time=\"13:45:" + c.time +
             "\" date=\"05-01-2024\" component=\"" + c.component + "\" context=\"\" type=\"" +
             std::to_string(c.type) + "\" thread=\"4242\" file=\"\">\r\n";
  }
  EXPECT_NE(file_.files[kLog].find(lines), std::string::npos) << file_.files[kLog];
  EXPECT_EQ(file_.Texts(kLog).at(std::size(cases) + 1),
            "Summary: 3 removed, 1 at restart, 2 not removed, 1 error; exit code 1 (something "
            "failed)");
}

TEST_F(RunLogTest, ALogPastOneMebibyteIsSetAsideFirst) {
  for (std::uint64_t size : {1024 * 1024, 1024 * 1024 + 1}) {
    file_.files = {{kLog, std::string(size, 'x')}, {kOld, "older"}};
    Run();
    const bool rotated = size > 1024 * 1024;
    EXPECT_EQ(file_.files[kOld].size(), rotated ? size : 5);
    EXPECT_EQ(file_.files[kLog].size() > size, !rotated);
    EXPECT_TRUE(EndsWithARun(kLog));
  }
}

// A log file that neither this account, SYSTEM nor Administrators owns, or a link in its
// place, is never written; one that does not open for another reason stops the log.
TEST_F(RunLogTest, AFileSomeoneElseOwnsIsSetAsideAndTheSystemAccountLogsUnderWindows) {
  const std::string aside = "C:\\Temp\\QuenzorCleaner.foreign.log";
  const std::string timed = "C:\\Temp\\QuenzorCleaner.20240501-134507.log";
  const std::string system = "C:\\Windows\\Logs\\QuenzorCleaner.log";
  const struct {
    const char* what;
    std::string owner;
    bool renameFails, localSystem;
    std::string runIn, plantedIn;  // where the run's lines (if any) and the earlier file end up
    StatusCode opens = StatusCode::Ok;
    std::string accountSid = "S-1-5-21-7-7-7-1001";
  } cases[] = {
      {"owned by this account", "S-1-5-21-7-7-7-1001", false, false, kLog, kLog},
      {"owned by SYSTEM", "S-1-5-18", false, false, kLog, kLog},
      {"owned by another user", "S-1-5-21-9-9-9-1234", false, false, kLog, aside},
      {"owned by nobody", "", false, false, kLog, aside},
      {"owned by nobody, the account unknown", "", false, false, kLog, aside, StatusCode::Ok, ""},
      {"a link", "S-1-5-18", false, false, kLog, aside, StatusCode::Denied},
      {"a link, not renamable", "S-1-5-18", true, false, timed, kLog, StatusCode::Denied},
      {"held open by another program", "S-1-5-18", false, false, "", kLog, StatusCode::InUse},
      {"another user's, not renamable", "S-1-5-21-9-9-9-1234", true, false, timed, kLog},
      {"the system account", "S-1-5-21-9-9-9-1234", false, true, system, kLog},
  };
  for (const auto& c : cases) {
    file_ = {};
    clock_ = {};
    env_.vars["SystemRoot"] = "C:\\Windows";
    machine_.localSystem = c.localSystem;
    machine_.accountSid = c.accountSid;
    file_.files[kLog] = "planted\r\n";
    file_.owners[kLog] = c.owner;
    if (c.opens != StatusCode::Ok) file_.refused[kLog] = c.opens;
    if (c.renameFails) file_.failing.insert(aside);
    Run();
    EXPECT_TRUE(file_.files[c.plantedIn].starts_with("planted\r\n")) << c.what;
    EXPECT_TRUE(c.runIn.empty() ? file_.files.size() == 1 : EndsWithARun(c.runIn)) << c.what;
    EXPECT_EQ(file_.folders.count("C:\\Windows\\Logs"), c.localSystem ? 1u : 0u) << c.what;
    if (c.runIn != c.plantedIn) {
      EXPECT_EQ(file_.files[c.plantedIn].find("exit code"), std::string::npos) << c.what;
    }
  }
}

// The system account logs where the collectors of diagnostics look, in a folder that it
// and every folder above it is administrators' own and no link; else under Windows.
TEST_F(RunLogTest, TheSystemAccountLogsWhereCollectorsLookInFoldersOnlyAdministratorsOwn) {
  const std::string intune = "C:\\ProgramData\\Microsoft\\IntuneManagementExtension\\Logs";
  const std::string ccm = "C:\\Windows\\CCM\\Logs", windows = "C:\\Windows\\Logs";
  const ItemSecurity missing{Status::Fail(StatusCode::NotFound), false, "", false, {}};
  const ItemSecurity link{{}, true, "S-1-5-32-544", false, {}};
  const ItemSecurity usersOwn{{}, false, "S-1-5-21-9-9-9-1234", false, {}};
  const ItemSecurity installers{{}, false, std::string(kTrustedInstallerSid), false, {}};
  const struct {
    bool localSystem;
    std::map<std::string, ItemSecurity> folders;
    std::string logIn;
  } cases[] = {
      {true, {}, intune},
      {true, {{intune, installers}}, intune},
      {true, {{intune, missing}}, ccm},
      {true, {{intune, link}}, ccm},
      {true, {{intune, usersOwn}}, ccm},
      {true, {{"C:\\ProgramData\\Microsoft", usersOwn}}, ccm},
      {true, {{intune, missing}, {ccm, link}}, windows},
      {true, {{intune, missing}, {ccm, missing}}, windows},
      {true, {{intune, missing}, {ccm, missing}}, ""},  // and C:\Windows\Logs cannot be made
      {false, {}, "C:\\Temp"},
  };
  for (const auto& c : cases) {
    file_ = {};
    env_.vars = {{"TEMP", "C:\\Temp"},
                 {"SystemRoot", "C:\\Windows"},
                 {"windir", "C:\\Windows"},
                 {"ProgramData", "C:\\ProgramData"}};
    machine_.localSystem = c.localSystem;
    security_.items = c.folders;
    if (c.logIn.empty()) file_.failing.insert(windows);
    Run();
    EXPECT_EQ(file_.files.size(), c.logIn.empty() ? 0u : 1u) << c.logIn;
    EXPECT_TRUE(c.logIn.empty() || EndsWithARun(c.logIn + "\\QuenzorCleaner.log")) << c.logIn;
  }
}

// A log whose first line cannot be written is named nowhere and gets no later line.
TEST_F(RunLogTest, AnUnwritableLogOrNoUsableTempWritesNothing) {
  file_.failing.insert(kLog);
  RunLog log({file_, env_, machine_, clock_, security_});
  log.NotStarted(1618);
  EXPECT_EQ(log.Path(), "");
  log.Begin(true);
  EXPECT_EQ(log.Path(), "");
  file_.failing.clear();
  log.Line("Folder Deleted: C:\\Kelvora Quenzor 5.1", LineType::Information, "folders");
  env_.vars["TEMP"] = "Temp";
  Run();
  env_.vars.erase("TEMP");
  Run();
  EXPECT_EQ(file_.files, (std::map<std::string, std::string>{{kLog, ""}}));
}

}  // namespace
}  // namespace qc::test
