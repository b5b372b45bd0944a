// Deleting the product's registry keys, each with its whole subtree.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/Registry.h"
#include "platform/ResultsList.h"
#include "platform/UserHives.h"
#include "users/UserScope.h"

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

// A control installed without administrator rights registers in its user's own classes.
// Deletes the user's copy of each class entry of the list (HKEY_CLASSES_ROOT\X and
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes\X) in list order, in both views as above: in
// HKEY_CURRENT_USER\Software\Classes for a user's own run; for a run over every profile,
// user by user, in HKEY_USERS\<SID>_Classes, loading a signed-out user's classes hive
// from the profile (from where it really is: see ReachHiveFile) and unloading it again,
// after a hive of the same name that an earlier run left loaded. First come the lines for
// the profiles that cannot be read.
void CleanUserRegistrations(IRegistry& registry, UserScope& scope, IUserHives& hives,
                            IFileSystem& fs, IOsVersion& os, IResultsSink& listWork,
                            IRegistry* otherView = nullptr, bool program64Bit = false);

}  // namespace qc
