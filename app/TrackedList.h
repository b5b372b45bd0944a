// The results-list sink every stage writes to; it remembers whether any line reported
// a failure, which decides the program's exit code.
#pragma once

#include <string_view>

#include "platform/ResultsList.h"

namespace qc {

// A line reports a failure when it begins with "Error: " or contains " Not "
// ("Folder Not Deleted: ...", "Process Not Terminated: ...").
bool IsFailureLine(std::string_view line);

class TrackedList final : public IResultsList {
 public:
  explicit TrackedList(IResultsList& listBox) : listBox_(listBox) {}
  void AddItem(std::string_view line) override;
  bool HasFailure() const { return failed_; }

 private:
  IResultsList& listBox_;
  bool failed_ = false;
};

}  // namespace qc
