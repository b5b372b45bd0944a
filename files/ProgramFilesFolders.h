// The product's installation folders under the Program Files folders Windows reports,
// besides the literal "C:\Program Files" ones of the clean-up list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Environment.h"
#include "platform/Machine.h"

namespace qc {

// The variables read, in this order.
inline constexpr const char* kProgramFilesVariables[] = {"ProgramFiles", "ProgramFiles(x86)",
                                                         "ProgramW6432"};

// The reported roots to search besides "C:\Program Files": absolute drive paths only,
// without a trailing backslash, each once (letter case ignored), in the order given.
std::vector<std::string> ExtraProgramFilesRoots(
    const std::vector<std::optional<std::string>>& values);

// The process environment with ProgramW6432 filled in where 64-bit Windows sets no such
// variable (Vista and XP x64): the registry's 64-bit view records the folder there.
class ProgramFilesEnvironment final : public IEnvironment {
 public:
  ProgramFilesEnvironment(IEnvironment& env, IMachine& machine) : env_(env), machine_(machine) {}
  std::optional<std::string> Get(const std::string& name) override;

 private:
  IEnvironment& env_;
  IMachine& machine_;
};

// The five version folders under each extra root, root by root, versions in list order.
std::vector<std::string> ExtraInstallFolders(IEnvironment& env);

}  // namespace qc
