// Ending Internet Explorer and the product's programs.
#include "processes/TargetProcesses.h"

#include <string>

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

// The line tells what became of the process, so it can only be written after the attempt.
std::string ResultLine(bool ended, const char* label) {
  return std::string(ended ? "Process Terminated: " : "Process Not Terminated: ") + label;
}

// True when the process matched a row (whether or not it could be ended).
bool EndIfTarget(IProcesses& processes, const ProcessInfo& process, IResultsList& listWork) {
  const std::string name = ToUpperAscii(process.name);
  bool matched = false;
  for (const TargetRow& row : kTargets) {
    if (name != row.imageName) continue;
    listWork.AddItem(ResultLine(processes.Terminate(process), row.label));
    matched = true;
  }
  return matched;
}

}  // namespace

ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsList& listWork) {
  const auto running = processes.List();
  if (!running) {
    listWork.AddItem(kListFailedLine);
    return ProcessSearch::ListFailed;
  }
  bool found = false;
  for (const ProcessInfo& process : *running) {
    if (EndIfTarget(processes, process, listWork)) found = true;
  }
  return found ? ProcessSearch::Found : ProcessSearch::NoneFound;
}

}  // namespace qc
