// The user's profile folder, the base of every per-user path.
#pragma once

#include <optional>
#include <string>

#include "platform/Environment.h"

namespace qc {

// USERPROFILE in the one spelling every per-user path is built on (see NormaliseFolder):
// "C:/Users/x/" and "C:\Users\x" name the same folder and give the same paths and lines.
// nullopt when it is unset or no absolute folder: "<profile>\Norvane" would then name a
// folder that is not the user's, so callers skip the per-user paths instead.
std::optional<std::string> ReadProfileFolder(IEnvironment& env);

}  // namespace qc
