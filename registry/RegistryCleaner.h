// Deleting the product's registry keys, each with its whole subtree.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/ResultsList.h"

namespace qc {

struct RegistryLocation {
  RegKey hive;
  const char* keyPath;
};

// The keys the product registers, in the order they are deleted and reported.
extern const RegistryLocation kRegistryCleanupList[17];

void CleanRegistry(IRegistry& registry, IResultsSink& listWork);

}  // namespace qc
