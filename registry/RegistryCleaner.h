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

// Deletes each key in the program's own registry view and then, when otherView is given
// (64-bit Windows), in the other view, whose lines end with " (64-bit view)" for the
// 32-bit program and " (32-bit view)" for the 64-bit one.
void CleanRegistry(IRegistry& registry, IResultsSink& listWork, IRegistry* otherView = nullptr,
                   bool program64Bit = false);

}  // namespace qc
