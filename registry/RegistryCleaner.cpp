// Deleting the product's registry keys.
#include "registry/RegistryCleaner.h"

namespace qc {

// Not built yet: the registry stage deletes nothing until its issue lands.
void CleanRegistry(IRegistry&, IResultsList&) {}

}  // namespace qc
