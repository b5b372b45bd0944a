// Whether a USERPROFILE value can safely be the base of per-user paths.
#pragma once

#include <string>

namespace qc {

// True for an absolute path: a drive letter, a colon and a backslash ("C:\Users\x"),
// or a share ("\\server\share..."). Anything else (unset, empty, relative, or rooted
// on the current drive like "\Users\x") would turn "<profile>\Norvane" into a folder
// that is not the user's, so callers skip the per-user paths instead.
bool IsUsableProfileFolder(const std::string& profile);

}  // namespace qc
