// Ending Internet Explorer and the product's programs.
#include "processes/TargetProcesses.h"

#include <string>
#include <vector>

#include "base/AsciiCase.h"
#include "texts/ResultsTexts.h"

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

struct Target {
  const TargetRow* row;
  std::unique_ptr<IHeldProcess> held;
};

// Every target is held before any is ended: an id freed by an ended process could
// otherwise pass to an unrelated one before it is reached.
std::vector<Target> HoldTargets(IProcesses& processes, const std::vector<ProcessInfo>& running) {
  std::vector<Target> targets;
  for (const ProcessInfo& process : running) {
    const std::string name = ToUpperAscii(process.name);
    for (const TargetRow& row : kTargets) {
      if (name == row.imageName) targets.push_back({&row, processes.Hold(process)});
    }
  }
  return targets;
}

// Whether what is held is still the listed process: the listing may be up to 15 s old,
// and an id freed meanwhile can have passed to another program.
enum class Identity { Listed, Replaced, Unknown };

Identity IdentityOf(IProcesses& processes, const Target& target) {
  const std::optional<std::string> image = processes.ImagePath(*target.held);
  if (!image) return Identity::Unknown;
  const std::size_t slash = image->rfind('\\');
  const std::string name = slash == std::string::npos ? *image : image->substr(slash + 1);
  return SameAscii(name, target.row->imageName) ? Identity::Listed : Identity::Replaced;
}

// All are asked first and then waited for together, so stuck processes cost one bound in
// all rather than one each. A target whose id now names another program has gone, and
// that program is neither asked nor awaited. One whose image cannot be read might be such
// a program, so it is not asked either; the wait tells whether it still runs.
std::vector<bool> EndTargets(IProcesses& processes, const std::vector<Target>& targets) {
  std::vector<bool> ended(targets.size(), true);
  std::vector<IHeldProcess*> awaited;
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const Identity identity = IdentityOf(processes, targets[i]);
    if (identity == Identity::Replaced) continue;
    if (identity == Identity::Listed) processes.RequestEnd(*targets[i].held, kWmiEndBoundMs);
    awaited.push_back(targets[i].held.get());
    positions.push_back(i);
  }
  const std::vector<bool> gone = processes.WaitForEnd(awaited, kEndWaitMs);
  for (std::size_t k = 0; k < positions.size(); ++k) {
    ended[positions[k]] = k < gone.size() && gone[k];
  }
  return ended;
}

}  // namespace

std::optional<std::vector<ProcessInfo>> ListRunningProcesses(IProcesses& processes) {
  if (auto running = processes.ListThroughWmi(kWmiListingBoundMs)) return running;
  return processes.ListThroughSnapshot();
}

ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsSink& listWork) {
  const auto running = ListRunningProcesses(processes);
  if (!running) {
    listWork.Add(kProcessesUnlistedLine, Outcome::Failure);
    return ProcessSearch::ListFailed;
  }
  const std::vector<Target> targets = HoldTargets(processes, *running);
  if (targets.empty()) return ProcessSearch::NoneFound;
  const std::vector<bool> ended = EndTargets(processes, targets);
  // Each line tells what became of its process, so all are written after the wait.
  for (std::size_t i = 0; i < targets.size(); ++i) {
    listWork.Add(
        ListLine(ended[i] ? kProcessTerminated : kProcessNotTerminated, targets[i].row->label),
        ended[i] ? Outcome::Success : Outcome::Failure);
  }
  return ProcessSearch::Found;
}

}  // namespace qc
