// The sink every stage of a run writes to: it shows each line in the results list, logs
// it under the stage that wrote it, counts it, and keeps the worst outcome, which decides
// the program's exit code.
#pragma once

#include <string>
#include <string_view>

#include "app/RunLog.h"
#include "platform/ResultsList.h"

namespace qc {

// The codes deployment systems understand besides 0 and 1.
inline constexpr int kExitRestartNeeded = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
inline constexpr int kExitAnotherRun = 1618;     // ERROR_INSTALL_ALREADY_RUNNING

// What a run did, counted from the outcomes its stages reported.
struct RunCounts {
  int removed = 0;     // deleted, removed or ended
  int atRestart = 0;   // left to Windows at the next restart
  int notRemoved = 0;  // a "Not" line
  int errors = 0;      // an "Error: " line
};

// "Summary: 41 removed, 1 at restart, 0 not removed, 0 errors; exit code 3010 (restart
// needed)".
std::string SummaryLine(const RunCounts& counts, int exitCode);

class RunResults final : public IResultsSink {
 public:
  // log gets every line; it writes only between its Begin and End.
  RunResults(IResultsList& listBox, RunLog& log) : listBox_(listBox), log_(log) {}
  void Add(std::string_view line, Outcome outcome) override;
  // The stage whose lines follow, as the log names it ("processes", "registry", ...).
  void SetComponent(const char* component) { component_ = component; }
  const RunCounts& Counts() const { return counts_; }
  // 0 when every line reported success, 3010 when the worst is an item deleted only at
  // the next restart, 1 when any reported a failure.
  int ExitCode() const;

 private:
  void Count(std::string_view line, Outcome outcome);

  IResultsList& listBox_;
  RunLog& log_;
  const char* component_ = kRunComponent;
  Outcome worst_ = Outcome::Success;
  RunCounts counts_;
};

}  // namespace qc
