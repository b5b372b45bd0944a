// The run log: its content, its rotation past 1 MiB, its place for the system account, a
// file someone else owns, and a log that cannot be written.
#include "app/RunLog.h"

#include <gtest/gtest.h>

#include "fakes/FakeMachine.h"
#include "fakes/FakeSystem.h"

namespace qc::test {
namespace {

const std::string kLog = "C:\\Temp\\QuenzorCleaner.log";
const std::string kOld = "C:\\Temp\\QuenzorCleaner.old.log";

class RunLogTest : public ::testing::Test {
 protected:
  RunLogTest() { env_.vars["TEMP"] = "C:\\Temp\\"; }
  void Run() {
    RunLog log({file_, env_, machine_, clock_});
    log.Begin(true);
    log.Line("Folder Deleted: C:\\Kelvora Quenzor 5.1");
    log.End(3010);
    log.Line("after the end");
  }
  FakeLogFile file_;
  FakeEnvironment env_;
  FakeMachine machine_;
  FakeClock clock_;
};

TEST_F(RunLogTest, HeaderLinesWithTimesAndExitCodeAppendedRunAfterRun) {
  machine_.windows64 = true;
  machine_.account = "NT AUTHORITY\\SYSTEM";
  file_.files[kLog] = "earlier\r\n";
  Run();
  EXPECT_EQ(file_.files[kLog],
            "earlier\r\n"
            "2024-05-01 13:45:07 QuenzorCleaner 1.12 started; account NT AUTHORITY\\SYSTEM; "
            "silent mode; Windows 10.0.19045, 64-bit\r\n"
            "13:45:08 Folder Deleted: C:\\Kelvora Quenzor 5.1\r\n"
            "13:45:09 Finished; exit code 3010\r\n");
}

TEST_F(RunLogTest, ALogPastOneMebibyteIsSetAsideFirst) {
  for (std::uint64_t size : {kMaxLogBytes, kMaxLogBytes + 1}) {
    file_.files = {{kLog, std::string(size, 'x')}, {kOld, "older"}};
    Run();
    const bool rotated = size > kMaxLogBytes;
    EXPECT_EQ(file_.files[kOld].size(), rotated ? size : 5);
    EXPECT_EQ(file_.files[kLog].size() > size, !rotated);
    EXPECT_TRUE(file_.files[kLog].ends_with("exit code 3010\r\n"));
  }
}

// A log file that neither this account, SYSTEM nor Administrators owns is never written.
TEST_F(RunLogTest, AFileSomeoneElseOwnsIsSetAsideAndTheSystemAccountLogsUnderWindows) {
  const std::string aside = "C:\\Temp\\QuenzorCleaner.foreign.log";
  const std::string timed = "C:\\Temp\\QuenzorCleaner.20240501-134507.log";
  const std::string system = "C:\\Windows\\Logs\\QuenzorCleaner.log";
  const struct {
    const char* what;
    std::string owner;
    bool renameFails, localSystem;
    std::string runIn, plantedIn;  // where the run's lines and the earlier file end up
  } cases[] = {
      {"owned by this account", "S-1-5-21-7-7-7-1001", false, false, kLog, kLog},
      {"owned by SYSTEM", "S-1-5-18", false, false, kLog, kLog},
      {"owned by another user", "S-1-5-21-9-9-9-1234", false, false, kLog, aside},
      {"owned by nobody", "", false, false, kLog, aside},
      {"another user's, not renamable", "S-1-5-21-9-9-9-1234", true, false, timed, kLog},
      {"the system account", "S-1-5-21-9-9-9-1234", false, true, system, kLog},
  };
  for (const auto& c : cases) {
    file_ = {};
    clock_ = {};
    env_.vars["SystemRoot"] = "C:\\Windows";
    machine_.localSystem = c.localSystem;
    file_.files[kLog] = "planted\r\n";
    file_.owners[kLog] = c.owner;
    if (c.renameFails) file_.failing.insert(aside);
    Run();
    EXPECT_TRUE(file_.files[c.plantedIn].starts_with("planted\r\n")) << c.what;
    EXPECT_TRUE(file_.files[c.runIn].ends_with("exit code 3010\r\n")) << c.what;
    EXPECT_EQ(file_.folders.count("C:\\Windows\\Logs"), c.localSystem ? 1u : 0u) << c.what;
    if (c.runIn != c.plantedIn) {
      EXPECT_EQ(file_.files[c.plantedIn].find("exit code"), std::string::npos) << c.what;
    }
  }
}

TEST_F(RunLogTest, AnUnwritableLogOrNoUsableTempWritesNothing) {
  file_.failing.insert(kLog);
  Run();
  env_.vars["TEMP"] = "Temp";
  file_.failing.clear();
  Run();
  env_.vars.erase("TEMP");
  Run();
  EXPECT_TRUE(file_.files.empty());
}

}  // namespace
}  // namespace qc::test
