// The run's results sink and its exit code.
#include "app/RunResults.h"

namespace qc {

void RunResults::Add(std::string_view line, Outcome outcome) {
  if (outcome > worst_) worst_ = outcome;
  listBox_.AddItem(line);
  if (log_ != nullptr) log_->Line(line);
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
