// Facts about the PC and the running process that decide what a run covers and that
// go into its log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qc {

class IMachine {
 public:
  virtual ~IMachine() = default;
  // True on 64-bit Windows, whichever build of the program asks.
  virtual bool IsWindows64Bit() = 0;
  // True for the 64-bit build of the program, whose own registry view is the 64-bit one.
  virtual bool IsProgram64Bit() = 0;
  // True when the process token's user is the LocalSystem account (S-1-5-18).
  virtual bool IsLocalSystem() = 0;
  // True when the process token has the Administrators group enabled: an elevated
  // administrator or the system account.
  virtual bool IsAdministrator() = 0;
  // "major.minor.build" as the kernel reports it. Unlike GetVersionEx it does not
  // depend on the Windows versions the program's manifest names; empty when unknown.
  virtual std::string WindowsVersion() = 0;
  // "DOMAIN\user", or the user name alone when no domain is known; empty when unknown.
  virtual std::string AccountName() = 0;
  // The process's identifier, which tells one run's log lines from another's.
  virtual std::uint32_t ProcessId() = 0;
  // The Terminal Services session the process runs in; nullopt when unknown.
  virtual std::optional<std::uint32_t> SessionId() = 0;
  // The 64-bit Program Files folder as the registry's 64-bit view records it
  // (ProgramFilesDir); nullopt on 32-bit Windows or when it cannot be read.
  virtual std::optional<std::string> ProgramFiles64() = 0;
  // The process token's user as a SID string ("S-1-5-18" for the system account); empty
  // when unknown, which trusts nobody but the system account and Administrators.
  virtual std::string AccountSid() = 0;
};

}  // namespace qc
