// Deleting the product's registry keys, each with its whole subtree.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/ResultsList.h"

namespace qc {

void CleanRegistry(IRegistry& registry, IResultsList& listWork);

}  // namespace qc
