// The results list of the main window, and the sink through which every stage reports
// one action as one line together with what became of it.
#pragma once

#include <string_view>

namespace qc {

class IResultsList {
 public:
  virtual ~IResultsList() = default;
  // Appends one line at the end; nothing is ever removed, reordered or read back.
  virtual void AddItem(std::string_view line) = 0;
};

// What became of one reported action. Listed from best to worst: a run's result is the
// worst outcome it reported, so a new kind goes where it ranks.
enum class Outcome {
  Success,             // done, or nothing to do (an information line)
  ScheduledAtRestart,  // in use now; Windows deletes it when it next starts
  Failure,             // not done, or a stage could not do its work
};

// Where the stages write: the line exactly as shown, and its outcome as a value, so no
// one ever has to read the outcome back out of the text.
class IResultsSink {
 public:
  virtual ~IResultsSink() = default;
  virtual void Add(std::string_view line, Outcome outcome) = 0;
};

}  // namespace qc
