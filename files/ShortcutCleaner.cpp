// Removing the product's shortcuts.
#include "files/ShortcutCleaner.h"

namespace qc {

// Not built yet: the shortcut stage removes nothing until its issue lands.
void CleanProfile(IFileSystem&, IEnvironment&, IOsVersion&, IResultsList&) {}

}  // namespace qc
