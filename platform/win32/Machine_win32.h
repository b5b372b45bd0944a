// Adapters for the facts about the PC and the process, and for the local time.
#pragma once

#include "platform/Clock.h"
#include "platform/Machine.h"

namespace qc::win {

class Win32Machine final : public IMachine {
 public:
  bool IsWindows64Bit() override;
  bool IsProgram64Bit() override;
  bool IsLocalSystem() override;
  bool IsAdministrator() override;
  std::string WindowsVersion() override;
  std::string AccountName() override;
  std::uint32_t ProcessId() override;
  std::optional<std::uint32_t> SessionId() override;
  std::optional<std::string> ProgramFiles64() override;
  std::string AccountSid() override;
};

class Win32Clock final : public IClock {
 public:
  DateTime Now() override;
  DateTime NowUtc() override;
};

}  // namespace qc::win
