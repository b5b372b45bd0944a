// Deleting one registry key together with every key below it.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/ResultsList.h"
#include "texts/ResultsTexts.h"

namespace qc {

// Deletes the key named by hive and keyPath with its whole subtree and writes one line:
// "Registry Key Deleted: " when it went, "Registry Key Not Deleted: " when it is still
// there, nothing when it was never there. One trailing backslash of keyPath is ignored
// by the registry calls but kept in the line. A path naming the hive itself is refused.
// Under HKEY_CLASSES_ROOT the name is deleted again while it still opens (a machine-wide
// copy behind a user's own), and the line says "Deleted" only once it no longer does.
void DeleteRegistryKey(IRegistry& registry, IResultsSink& listWork, RegKey hive,
                       const std::string& keyPath);

// The same, with the line naming the key as display: a key reached through a hive loaded
// under a name of the program's own is shown where the user's registry has it.
void DeleteRegistryKey(IRegistry& registry, IResultsSink& listWork, RegKey hive,
                       const std::string& keyPath, const std::string& display);

}  // namespace qc
