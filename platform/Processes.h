// Running processes: listing them by image name, holding the ones to end, ending them
// and waiting for them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qc {

struct ProcessInfo {
  std::uint32_t id = 0;
  std::string name;  // image file name with extension, e.g. "iexplore.exe"
};

// A listed process held open: while it is held, its id cannot pass to another process,
// so whatever is done to it reaches the process that was listed.
class IHeldProcess {
 public:
  virtual ~IHeldProcess() = default;
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // All running processes through WMI, in the order it delivers them; nullopt when WMI
  // cannot be reached, fails, or has not answered within timeoutMs.
  virtual std::optional<std::vector<ProcessInfo>> ListThroughWmi(std::uint32_t timeoutMs) = 0;
  // All running processes through the system's process snapshot; nullopt when it fails.
  virtual std::optional<std::vector<ProcessInfo>> ListThroughSnapshot() = 0;
  // Holds a process that List returned. Never null: a process that has exited already,
  // or that cannot be opened, is held as such.
  virtual std::unique_ptr<IHeldProcess> Hold(const ProcessInfo& process) = 0;
  // The path of the held process's image file as Windows reports it through the handle
  // held (a drive path, or a device path on XP); nullopt when it cannot be read: the
  // process was not held, or the right to read it was refused.
  virtual std::optional<std::string> ImagePath(IHeldProcess& process) = 0;
  // Asks the process to end and returns at once; where WMI has to be asked instead (the
  // run may not end the process itself), returns once it answered or wmiBoundMs passed.
  virtual void RequestEnd(IHeldProcess& process, std::uint32_t wmiBoundMs) = 0;
  // Waits until every one of the processes has ended, or timeoutMs has passed for the
  // whole set; for each, in order, whether it no longer runs.
  virtual std::vector<bool> WaitForEnd(std::span<IHeldProcess* const> processes,
                                       std::uint32_t timeoutMs) = 0;
};

}  // namespace qc
