// The user's profile folder, read from the environment and normalised once.
#include "files/ProfileFolder.h"

#include "platform/FolderPath.h"

namespace qc {

std::optional<std::string> ReadProfileFolder(IEnvironment& env) {
  const std::optional<std::string> value = env.Get("USERPROFILE");
  if (!value) return std::nullopt;
  return NormaliseFolder(*value);
}

}  // namespace qc
