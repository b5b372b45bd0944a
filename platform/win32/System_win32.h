// Adapters for the command line, the process environment and the Windows version.
#pragma once

#include "platform/CommandLine.h"
#include "platform/Environment.h"
#include "platform/OsVersion.h"

namespace qc::win {

class Win32CommandLine final : public ICommandLine {
 public:
  std::string ArgumentText() override;
};

class Win32Environment final : public IEnvironment {
 public:
  std::optional<std::string> Get(const std::string& name) override;
};

// The one place the Windows version is read, in either of its two answers: the one
// GetVersionExA gives this program, which from Windows 8.1 on is no newer than the
// versions its manifest names (what IOsVersion promises), or the kernel's own, which the
// run log reports (RtlGetVersion). nullopt when the call fails.
enum class VersionAnswer { ToThisProgram, OfTheKernel };
std::optional<OsVersionInfo> ReadWindowsVersion(VersionAnswer answer);

class Win32OsVersion final : public IOsVersion {
 public:
  std::optional<OsVersionInfo> QueryVersion() override;
};

}  // namespace qc::win
