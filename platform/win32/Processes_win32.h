// Listing and ending processes on Windows.
#pragma once

#include "platform/Processes.h"

namespace qc::win {

class Win32Processes final : public IProcesses {
 public:
  std::optional<std::vector<ProcessInfo>> List() override;
  bool Terminate(const ProcessInfo& process) override;
};

}  // namespace qc::win
