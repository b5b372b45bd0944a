// Adapter for deleting an item at the next restart.
#pragma once

#include "platform/RestartRemoval.h"

namespace qc::win {

class Win32RestartRemoval final : public IRestartRemoval {
 public:
  Status ScheduleDelete(const std::string& path) override;
};

}  // namespace qc::win
