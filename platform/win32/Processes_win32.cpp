// Listing and ending processes on Windows.
#include "platform/win32/Processes_win32.h"

namespace qc::win {

// Not built yet: reports no running process until the process stage lands.
std::optional<std::vector<ProcessInfo>> Win32Processes::List() {
  return std::vector<ProcessInfo>{};
}

bool Win32Processes::Terminate(const ProcessInfo&) { return false; }

}  // namespace qc::win
