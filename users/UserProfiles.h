// The user profiles a run as the system account cleans: every account's profile folder
// on the PC, whatever kind of account it is.
#pragma once

#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProfileList.h"
#include "users/UserScope.h"

namespace qc {

// Every entry but the service accounts' (S-1-5-18, -19, -20) whose folder is an absolute
// path of an existing folder (itself a link or not), one trailing backslash dropped, each
// folder once, ordered by folder path with ASCII letter case ignored. A folder that
// cannot be listed stays in, marked unreadable.
std::vector<UserAccount> AccountsToClean(const std::vector<ProfileEntry>& entries, IFileSystem& fs);

}  // namespace qc
