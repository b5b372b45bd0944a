// Ending Internet Explorer and the product's programs.
#include "processes/TargetProcesses.h"

#include <string>
#include <vector>

#include "platform/AsciiCase.h"

namespace qc {
namespace {

struct TargetRow {
  const char* imageName;  // upper case: a process name is upper-cased before it is compared
  const char* label;
};

// Tested in this order for every process.
constexpr TargetRow kTargets[] = {
    {"IEXPLORE.EXE", "Internet Explorer"},        {"KVRDP.EXE", "Kelvora Quenzor Farlumen"},
    {"KVEMUX.EXE", "Kelvora Quenzor Ondrevis"},   {"KVAGENT.EXE", "Kelvora Quenzor Plexarium"},
    {"KVASSIST.EXE", "Kelvora Quenzor Helvarin"},
};

constexpr const char* kListFailedLine =
    "Error: The running processes could not be listed; none were terminated";

struct Target {
  const char* label;
  std::unique_ptr<IHeldProcess> held;
};

// Every target is held before any is ended: an id freed by an ended process could
// otherwise pass to an unrelated one before it is reached.
std::vector<Target> HoldTargets(IProcesses& processes, const std::vector<ProcessInfo>& running) {
  std::vector<Target> targets;
  for (const ProcessInfo& process : running) {
    const std::string name = ToUpperAscii(process.name);
    for (const TargetRow& row : kTargets) {
      if (name == row.imageName) targets.push_back({row.label, processes.Hold(process)});
    }
  }
  return targets;
}

}  // namespace

std::optional<std::vector<ProcessInfo>> ListRunningProcesses(IProcesses& processes) {
  if (auto running = processes.ListThroughWmi(kWmiListingBoundMs)) return running;
  return processes.ListThroughSnapshot();
}

ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsSink& listWork) {
  const auto running = ListRunningProcesses(processes);
  if (!running) {
    listWork.Add(kListFailedLine, Outcome::Failure);
    return ProcessSearch::ListFailed;
  }
  const std::vector<Target> targets = HoldTargets(processes, *running);
  if (targets.empty()) return ProcessSearch::NoneFound;

  // All are asked first and then waited for together, so stuck processes cost one
  // bound in all rather than one each.
  std::vector<IHeldProcess*> held;
  for (const Target& target : targets) {
    processes.RequestEnd(*target.held);
    held.push_back(target.held.get());
  }
  const std::vector<bool> ended = processes.WaitForEnd(held, kEndWaitMs);
  // Each line tells what became of its process, so all are written after the wait.
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const bool gone = i < ended.size() && ended[i];
    listWork.Add((gone ? "Process Terminated: " : "Process Not Terminated: ") +
                     std::string(targets[i].label),
                 gone ? Outcome::Success : Outcome::Failure);
  }
  return ProcessSearch::Found;
}

}  // namespace qc
