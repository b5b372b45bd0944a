// The sink every stage of a run writes to: it shows each line in the results list, logs
// it, and keeps the worst outcome, which decides the program's exit code.
#pragma once

#include <string_view>

#include "app/RunLog.h"
#include "platform/ResultsList.h"

namespace qc {

// The codes deployment systems understand besides 0 and 1.
inline constexpr int kExitRestartNeeded = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
inline constexpr int kExitAnotherRun = 1618;     // ERROR_INSTALL_ALREADY_RUNNING

class RunResults final : public IResultsSink {
 public:
  // log, when given, gets every line; it writes only between its Begin and End.
  explicit RunResults(IResultsList& listBox, RunLog* log = nullptr)
      : listBox_(listBox), log_(log) {}
  void Add(std::string_view line, Outcome outcome) override;
  Outcome Worst() const { return worst_; }
  // 0 when every line reported success, 3010 when the worst is an item deleted only at
  // the next restart, 1 when any reported a failure.
  int ExitCode() const;

 private:
  IResultsList& listBox_;
  RunLog* log_;
  Outcome worst_ = Outcome::Success;
};

}  // namespace qc
