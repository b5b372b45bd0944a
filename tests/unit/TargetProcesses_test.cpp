// The process stage: which processes it ends, the order and text of its lines, the
// found flag, and what it does when the processes cannot be listed.
#include "processes/TargetProcesses.h"

#include <gtest/gtest.h>

#include <limits>

#include "fakes/FakeResults.h"
#include "fakes/FakeSystem.h"

namespace qc::test {
namespace {

constexpr const char* kIe = "Process Terminated: Internet Explorer";
constexpr const char* kFarlumen = "Process Terminated: Kelvora Quenzor Farlumen";
constexpr const char* kOndrevis = "Process Terminated: Kelvora Quenzor Ondrevis";
constexpr const char* kPlexarium = "Process Terminated: Kelvora Quenzor Plexarium";
constexpr const char* kHelvarin = "Process Terminated: Kelvora Quenzor Helvarin";
constexpr const char* kListFailed =
    "Error: The running processes could not be listed; none were terminated";

using Lines = std::vector<std::string>;
using Ids = std::vector<std::uint32_t>;

struct StageCase {
  const char* what;
  std::vector<ProcessInfo> running;
  std::set<std::uint32_t> unkillable;
  Lines lines;
  Ids terminated;
  ProcessSearch result;
  std::optional<std::vector<ProcessInfo>> listed{};  // what the listing says, when not `running`
  std::set<std::uint32_t> unreadable{};
};

TEST(TerminateTargetProcesses, EndsExactlyTheTargetsAndReportsEach) {
  const StageCase cases[] = {
      {"nothing runs", {}, {}, {}, {}, ProcessSearch::NoneFound},
      {"only other programs",
       {{4, "System"}, {8, "explorer.exe"}, {9, "svchost.exe"}},
       {},
       {},
       {},
       ProcessSearch::NoneFound},
      {"every target once, lines in enumeration order, not table order",
       {{1, "KVASSIST.EXE"},
        {2, "explorer.exe"},
        {3, "KVAGENT.EXE"},
        {4, "KVEMUX.EXE"},
        {5, "IEXPLORE.EXE"},
        {6, "KVRDP.EXE"}},
       {},
       {kHelvarin, kPlexarium, kOndrevis, kIe, kFarlumen},
       {1, 3, 4, 5, 6},
       ProcessSearch::Found},
      {"several processes of one image name, each when it is reached",
       {{10, "iexplore.exe"}, {11, "KVAGENT.EXE"}, {12, "iexplore.exe"}, {13, "IEXPLORE.EXE"}},
       {},
       {kIe, kPlexarium, kIe, kIe},
       {10, 11, 12, 13},
       ProcessSearch::Found},
      {"any letter case matches",
       {{1, "iexplore.exe"},
        {2, "KvRdp.Exe"},
        {3, "kvemux.EXE"},
        {4, "kVaGeNt.eXe"},
        {5, "kvassist.exe"}},
       {},
       {kIe, kFarlumen, kOndrevis, kPlexarium, kHelvarin},
       {1, 2, 3, 4, 5},
       ProcessSearch::Found},
      {"Internet Explorer alone counts as found",
       {{7, "smss.exe"}, {8, "IExplore.exe"}},
       {},
       {kIe},
       {8},
       ProcessSearch::Found},
      {"a process that survives gets the Not line in its place and still counts",
       {{1, "KVRDP.EXE"}, {2, "KVAGENT.EXE"}, {3, "iexplore.exe"}},
       {2},
       {kFarlumen, "Process Not Terminated: Kelvora Quenzor Plexarium", kIe},
       {1, 2, 3},
       ProcessSearch::Found},
      {"the only target survives: still found",
       {{5, "kvemux.exe"}},
       {5},
       {"Process Not Terminated: Kelvora Quenzor Ondrevis"},
       {5},
       ProcessSearch::Found},
      {"an id now taken by another program: the listed one has gone, the other stays",
       {{7, "notepad.exe"}, {8, "iexplore.exe"}},
       {},
       {kPlexarium, kIe},
       {8},
       ProcessSearch::Found,
       std::vector<ProcessInfo>{{7, "KVAGENT.EXE"}, {8, "iexplore.exe"}}},
      {"an image that cannot be read is not ended; its line says whether it still runs",
       {{5, "kvemux.exe"}, {6, "KVRDP.EXE"}},
       {},
       {"Process Not Terminated: Kelvora Quenzor Ondrevis", kFarlumen, kHelvarin},
       {6},
       ProcessSearch::Found,
       std::vector<ProcessInfo>{{5, "kvemux.exe"}, {6, "KVRDP.EXE"}, {9, "KVASSIST.EXE"}},
       {5, 9}},
  };
  for (const auto& c : cases) {
    FakeProcesses processes;
    processes.running = c.running;
    processes.unkillable = c.unkillable;
    processes.wmiRows = c.listed;
    processes.unreadable = c.unreadable;
    RecordingSink list;
    EXPECT_EQ(TerminateTargetProcesses(processes, list), c.result) << c.what;
    EXPECT_EQ(list.lines, c.lines) << c.what;
    EXPECT_EQ(processes.terminated, c.terminated) << c.what;
  }
}

TEST(TerminateTargetProcesses, NearMissNamesAreLeftAlone) {
  // Whole-name equality after folding ASCII letters only: no prefix, suffix or
  // substring match, no trimming, no locale folding.
  const char* const names[] = {
      "XKVAGENT.EXE",
      "KVAGENT.EXE.EXE",
      "KVAGENTS.EXE",
      "KVAGENT",
      "IEXPLORE.EX",
      "IEXPLORE",
      " IEXPLORE.EXE",
      "IEXPLORE.EXE ",
      "KVRDP.EXE.",
      "KVEMUX.COM",
      "KVASSIST",
      "KVASSIST.EXE_",
      "\xC4\xB1"
      "explore.exe", /* dotless i */
      "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE",
      "",
  };
  for (const char* name : names) {
    FakeProcesses processes;
    processes.running = {{42, name}};
    RecordingSink list;
    EXPECT_EQ(TerminateTargetProcesses(processes, list), ProcessSearch::NoneFound) << name;
    EXPECT_TRUE(list.lines.empty()) << name;
    EXPECT_TRUE(processes.terminated.empty()) << name;
  }
}

// Writes each line into the fake's own event record, so the order of attempts and
// lines can be checked together.
class LinesIntoEvents final : public IResultsSink {
 public:
  explicit LinesIntoEvents(FakeProcesses& p) : p_(p) {}
  void Add(std::string_view line, Outcome) override {
    p_.events.push_back("line:" + std::string(line));
  }

 private:
  FakeProcesses& p_;
};

TEST(TerminateTargetProcesses, HoldsAllTargetsFirstAndWaitsOnceForAllOfThem) {
  FakeProcesses processes;
  processes.running = {
      {3, "KVAGENT.EXE"}, {1, "notepad.exe"}, {2, "IEXPLORE.EXE"}, {4, "KVRDP.EXE"}};
  processes.unkillable = {2, 4};
  LinesIntoEvents list(processes);
  TerminateTargetProcesses(processes, list);
  // Two stuck processes share one bound; the lines keep the listing's order. WMI gets
  // 15 s to list and 5 s to end each one the run may not end itself.
  EXPECT_EQ(processes.events,
            (Lines{"list:15000", "hold:3", "hold:2", "hold:4", "end:3:5000", "end:2:5000",
                   "end:4:5000", "wait:3:5000", std::string("line:") + kPlexarium,
                   "line:Process Not Terminated: Internet Explorer",
                   "line:Process Not Terminated: Kelvora Quenzor Farlumen"}));
}

TEST(TerminateTargetProcesses, ListingFailureWritesOneErrorLineAndEndsNothing) {
  FakeProcesses processes;
  processes.running = {{1, "IEXPLORE.EXE"}};
  processes.listFails = true;
  RecordingSink list;
  EXPECT_EQ(TerminateTargetProcesses(processes, list), ProcessSearch::ListFailed);
  EXPECT_EQ(list.lines, Lines{kListFailed});
  EXPECT_TRUE(processes.terminated.empty());
  EXPECT_EQ(processes.events, (Lines{"list:15000", "snapshot"}));
}

TEST(TerminateTargetProcesses, WmiThatDoesNotAnswerInTimeGivesWayToTheSnapshot) {
  constexpr std::uint32_t kNever = std::numeric_limits<std::uint32_t>::max();
  const struct {
    const char* what;
    std::optional<std::uint32_t> wmiAnswersAfterMs;
    bool snapshotFails;
    Lines lines;
    bool snapshotAsked;
  } cases[] = {
      {"WMI answers at the end of its bound", 15000, true, {kPlexarium}, false},
      {"WMI answers just after it", 15001, false, {kPlexarium}, true},
      {"WMI hangs", kNever, false, {kPlexarium}, true},
      {"WMI fails at once", std::nullopt, false, {kPlexarium}, true},
      {"WMI hangs and the snapshot fails", kNever, true, {kListFailed}, true},
  };
  for (const auto& c : cases) {
    FakeProcesses processes;
    processes.running = {{7, "KVAGENT.EXE"}};
    processes.wmiAnswersAfterMs = c.wmiAnswersAfterMs;
    processes.snapshotFails = c.snapshotFails;
    RecordingSink list;
    TerminateTargetProcesses(processes, list);
    EXPECT_EQ(list.lines, c.lines) << c.what;
    EXPECT_EQ(processes.events.front(), "list:15000") << c.what;
    EXPECT_EQ(processes.events.at(1) == "snapshot", c.snapshotAsked) << c.what;
  }
}

}  // namespace
}  // namespace qc::test
