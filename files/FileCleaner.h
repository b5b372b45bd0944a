// Deleting the product's installation, data and cache folders and its component files.
#pragma once

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ResultsList.h"

namespace qc {

void CleanFiles(IFileSystem& fs, IEnvironment& env, IResultsList& listWork);

}  // namespace qc
