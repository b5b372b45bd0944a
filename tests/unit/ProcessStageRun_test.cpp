// How a cleaning run follows the process stage's outcome: the Information line, the
// "Continue" box, the listing failure, and the exit code.
#include <gtest/gtest.h>

#include "fakes/FakeServices.h"

namespace qc::test {
namespace {

constexpr const char* kInfoLine = "Information: No Quenzor or Internet Explorer Processes Running";
constexpr const char* kListFailed =
    "Error: The running processes could not be listed; none were terminated";

// Marks in the UI's event record where the registry stage begins.
class NoKeys final : public IRegistry {
 public:
  explicit NoKeys(FakeUi& ui) : ui_(ui) {}
  long OpenKeyEx(RegKey, const std::string&, std::uint32_t, std::uint32_t, RegKey*) override {
    if (opens++ == 0) ui_.events.push_back("registry");
    return kErrorFileNotFound;
  }
  long EnumKey(RegKey, std::uint32_t, std::string*, std::uint32_t) override {
    return kErrorNoMoreItems;
  }
  long DeleteOpenKey(RegKey) override { return kErrorFileNotFound; }
  long CloseKey(RegKey) override { return kErrorSuccess; }
  int opens = 0;

 private:
  FakeUi& ui_;
};

// Lines also go into the UI's event record, so a box can be placed among the lines.
class LinesIntoUiEvents final : public IResultsList {
 public:
  explicit LinesIntoUiEvents(FakeUi& ui) : ui_(ui) {}
  void AddItem(std::string_view line) override {
    lines.emplace_back(line);
    ui_.events.push_back("line:" + std::string(line));
  }
  std::vector<std::string> lines;

 private:
  FakeUi& ui_;
};

// Its list and registry stand in front of the fakes' own.
struct Rig : FakeServices {
  LinesIntoUiEvents list{ui};
  NoKeys registry{ui};
  Form1 form{With(list, registry)};

  explicit Rig(bool silent) : silent_(silent) { commandLine.text = silent ? "/s" : ""; }
  // A silent start runs from the load handler; an interactive run from "&Clean PC".
  void Run() {
    try {
      if (silent_) {
        form.Form_Load();
      } else {
        form.btnClean_Click();
      }
    } catch (const ProgramEnded&) {
    }
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.title);
    return t;
  }
  // The lines written before the registry stage began, i.e. by the process stage and
  // the run's own report of it.
  std::vector<std::string> LinesBeforeRegistry() const {
    std::vector<std::string> out;
    for (const auto& e : ui.events) {
      if (e == "registry") break;
      if (e.rfind("line:", 0) == 0) out.push_back(e.substr(5));
    }
    return out;
  }

 private:
  bool silent_;
};

struct RunCase {
  const char* what;
  bool silent;
  bool listFails;
  std::vector<ProcessInfo> running;
  std::set<std::uint32_t> unkillable;
  std::vector<std::string> stageLines;
  std::vector<std::string> titles;
  bool failureReported;  // the exit code must then be 1, whatever the later stages write
};

TEST(ProcessStageInRun, BoxesLinesAndExitCodeFollowTheOutcome) {
  const RunCase cases[] = {
      {"interactive, listing failed",
       false,
       true,
       {{1, "IEXPLORE.EXE"}},
       {},
       {kListFailed},
       {"Acknowledge", "Done"},
       true},
      {"silent, listing failed", true, true, {}, {}, {kListFailed}, {"Done"}, true},
      {"interactive, found and ended",
       false,
       false,
       {{1, "IEXPLORE.EXE"}},
       {},
       {"Process Terminated: Internet Explorer"},
       {"Acknowledge", "Continue", "Done"},
       false},
      {"interactive, found but survived",
       false,
       false,
       {{1, "KVAGENT.EXE"}},
       {1},
       {"Process Not Terminated: Kelvora Quenzor Plexarium"},
       {"Acknowledge", "Continue", "Done"},
       true},
      {"silent, found",
       true,
       false,
       {{1, "kvrdp.exe"}},
       {},
       {"Process Terminated: Kelvora Quenzor Farlumen"},
       {"Done"},
       false},
      {"interactive, nothing found",
       false,
       false,
       {{1, "explorer.exe"}},
       {},
       {kInfoLine},
       {"Acknowledge", "Done"},
       false},
      {"silent, nothing found", true, false, {}, {}, {kInfoLine}, {"Done"}, false},
  };
  for (const auto& c : cases) {
    Rig rig(c.silent);
    rig.ui.answers = {MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::Yes};
    rig.processes.listFails = c.listFails;
    rig.processes.running = c.running;
    rig.processes.unkillable = c.unkillable;
    rig.Run();
    EXPECT_EQ(rig.LinesBeforeRegistry(), c.stageLines) << c.what;
    EXPECT_EQ(rig.Titles(), c.titles) << c.what;
    if (c.failureReported) {
      EXPECT_EQ(rig.form.ExitCode(), 1) << c.what;
    }
    // The run goes on to the registry stage and completes whatever the outcome.
    EXPECT_GT(rig.registry.opens, 0) << c.what;
    EXPECT_FALSE(rig.ui.cleanEnabled) << c.what;
  }
}

TEST(ProcessStageInRun, ContinueBoxOpensOnlyAfterEveryProcessLine) {
  Rig rig(false);
  rig.processes.running = {{1, "IEXPLORE.EXE"}, {2, "KVEMUX.EXE"}};
  rig.Run();
  EXPECT_EQ(std::vector<std::string>(rig.ui.events.begin(), rig.ui.events.begin() + 4),
            (std::vector<std::string>{
                "box:Acknowledge", "line:Process Terminated: Internet Explorer",
                "line:Process Terminated: Kelvora Quenzor Ondrevis", "box:Continue"}));
  EXPECT_TRUE(rig.processes.running.empty());
}

}  // namespace
}  // namespace qc::test
