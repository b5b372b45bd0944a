// The run's results sink, its counts and its exit code.
#include "app/RunResults.h"

namespace qc {
namespace {

// The leading words of the program's own lines; a path only ever follows them.
constexpr std::string_view kErrorWord = "Error: ";
constexpr std::string_view kInformationWord = "Information: ";

LineType TypeOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Success:
      return LineType::Information;
    case Outcome::ScheduledAtRestart:
      return LineType::Warning;
    case Outcome::Failure:
      return LineType::Error;
  }
  return LineType::Error;
}

std::string Meaning(int exitCode) {
  switch (exitCode) {
    case 0:
      return "success";
    case kExitRestartNeeded:
      return "restart needed";
    case kExitAnotherRun:
      return "another clean-up was running";
    default:
      return "something failed";
  }
}

}  // namespace

std::string SummaryLine(const RunCounts& counts, int exitCode) {
  return "Summary: " + std::to_string(counts.removed) + " removed, " +
         std::to_string(counts.atRestart) + " at restart, " + std::to_string(counts.notRemoved) +
         " not removed, " + std::to_string(counts.errors) +
         (counts.errors == 1 ? " error" : " errors") + "; exit code " + std::to_string(exitCode) +
         " (" + Meaning(exitCode) + ")";
}

void RunResults::Add(std::string_view line, Outcome outcome) {
  if (outcome > worst_) worst_ = outcome;
  Count(line, outcome);
  listBox_.AddItem(line);
  log_.Line(line, TypeOf(outcome), component_);
}

// The outcome says how it went; only the line's fixed leading word tells an error of a
// stage from an item that stayed, and the information line from an item removed.
void RunResults::Count(std::string_view line, Outcome outcome) {
  switch (outcome) {
    case Outcome::Success:
      if (!line.starts_with(kInformationWord)) ++counts_.removed;
      break;
    case Outcome::ScheduledAtRestart:
      ++counts_.atRestart;
      break;
    case Outcome::Failure:
      ++(line.starts_with(kErrorWord) ? counts_.errors : counts_.notRemoved);
      break;
  }
}

int RunResults::ExitCode() const {
  switch (worst_) {
    case Outcome::Success:
      return 0;
    case Outcome::ScheduledAtRestart:
      return kExitRestartNeeded;
    case Outcome::Failure:
      return 1;
  }
  return 1;
}

}  // namespace qc
