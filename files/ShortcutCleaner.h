// Removing the product's shortcuts from the user's Desktop, Start Menu and StartUp.
#pragma once

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/ResultsList.h"

namespace qc {

void CleanProfile(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsList& listWork);

}  // namespace qc
