// The sink every stage of a run writes to: it shows each line in the results list and
// keeps the worst outcome, which decides the program's exit code.
#pragma once

#include <string_view>

#include "platform/ResultsList.h"

namespace qc {

class RunResults final : public IResultsSink {
 public:
  explicit RunResults(IResultsList& listBox) : listBox_(listBox) {}
  void Add(std::string_view line, Outcome outcome) override;
  Outcome Worst() const { return worst_; }
  // 0 when every line reported success, 1 when any reported a failure.
  int ExitCode() const;

 private:
  IResultsList& listBox_;
  Outcome worst_ = Outcome::Success;
};

}  // namespace qc
