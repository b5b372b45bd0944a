// The user profiles a run as the system account cleans: every real account's profile
// folder on the PC.
#pragma once

#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProfileList.h"

namespace qc {

// The entries of real accounts (SID "S-1-5-21-...") whose folder is an absolute path
// of an existing folder that is not a link, one trailing backslash dropped, each folder
// once, ordered by folder path with ASCII letter case ignored.
std::vector<ProfileEntry> ProfilesToClean(const std::vector<ProfileEntry>& entries,
                                          IFileSystem& fs);

}  // namespace qc
