// Listing and ending processes on Windows: through WMI, and through a Tool Help
// snapshot when WMI cannot be reached.
#pragma once

#include <memory>
#include <string>

#include "platform/Processes.h"

namespace qc::win {

inline constexpr const wchar_t* kLocalCimv2 = L"\\\\.\\root\\cimv2";

class Win32Processes final : public IProcesses {
 public:
  // wmiNamespace is where Win32_Process lives; tests name one that does not exist to
  // see the snapshot take over, as it must on a PC whose WMI repository is damaged.
  explicit Win32Processes(std::wstring wmiNamespace = kLocalCimv2);
  ~Win32Processes() override = default;
  Win32Processes(const Win32Processes&) = delete;
  Win32Processes& operator=(const Win32Processes&) = delete;

  std::optional<std::vector<ProcessInfo>> ListThroughWmi(std::uint32_t timeoutMs) override;
  std::optional<std::vector<ProcessInfo>> ListThroughSnapshot() override;
  std::unique_ptr<IHeldProcess> Hold(const ProcessInfo& process) override;
  std::optional<std::string> ImagePath(IHeldProcess& process) override;
  void RequestEnd(IHeldProcess& process, std::uint32_t wmiBoundMs) override;
  std::vector<bool> WaitForEnd(std::span<IHeldProcess* const> processes,
                               std::uint32_t timeoutMs) override;

 private:
  std::wstring wmiNamespace_;
  bool wmiUnreachable_ = false;
};

}  // namespace qc::win
