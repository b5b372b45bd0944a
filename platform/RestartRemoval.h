// Deleting a file or folder when Windows next starts, for items in use now.
#pragma once

#include <string>

#include "platform/Status.h"

namespace qc {

class IRestartRemoval {
 public:
  virtual ~IRestartRemoval() = default;
  // Schedules the file, or the folder (which must be empty by then), for deletion at
  // the next restart. A link is refused, never scheduled; so is everything when the
  // process may not schedule (not an administrator: Denied).
  virtual Status ScheduleDelete(const std::string& path) = 0;
};

}  // namespace qc
