// Running processes: listing them by image name and ending one of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qc {

struct ProcessInfo {
  std::uint32_t id = 0;
  std::string name;  // image file name with extension, e.g. "iexplore.exe"
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // All running processes in the order the system delivers them; nullopt when no
  // way of listing them worked.
  virtual std::optional<std::vector<ProcessInfo>> List() = 0;
  // Ends the process. True when it no longer runs afterwards (also when it had
  // already exited by itself).
  virtual bool Terminate(const ProcessInfo& process) = 0;
};

}  // namespace qc
