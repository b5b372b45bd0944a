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

class Win32OsVersion final : public IOsVersion {
 public:
  std::optional<OsVersionInfo> QueryVersion() override;
};

}  // namespace qc::win
