// The product's installation folders under the Program Files folders Windows reports,
// besides the literal "C:\Program Files" ones of the clean-up list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Environment.h"

namespace qc {

// The variables read, in this order.
inline constexpr const char* kProgramFilesVariables[] = {"ProgramFiles", "ProgramFiles(x86)",
                                                         "ProgramW6432"};

// The reported roots to search besides "C:\Program Files": absolute drive paths only,
// without a trailing backslash, each once (letter case ignored), in the order given.
std::vector<std::string> ExtraProgramFilesRoots(
    const std::vector<std::optional<std::string>>& values);

// The five version folders under each extra root, root by root, versions in list order.
std::vector<std::string> ExtraInstallFolders(IEnvironment& env);

}  // namespace qc
