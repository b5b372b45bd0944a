// A results sink that records every line with its outcome.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ResultsList.h"

namespace qc::test {

class RecordingSink final : public IResultsSink {
 public:
  void Add(std::string_view line, Outcome outcome) override {
    lines.emplace_back(line);
    outcomes.push_back(outcome);
  }
  std::vector<std::string> lines;
  std::vector<Outcome> outcomes;
};

}  // namespace qc::test
