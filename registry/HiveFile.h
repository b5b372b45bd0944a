// Reaching a signed-out user's hive file so that no user can aim its loading elsewhere.
#pragma once

#include <string>

#include "paths/OpenPath.h"
#include "platform/FileSystem.h"

namespace qc {

enum class HiveFileState { Absent, Refused, Ready };

struct HiveFile {
  HiveFileState state = HiveFileState::Absent;
  std::string path;    // when Ready: by the names walked, as Windows is to load it
  OpenedPath folders;  // its folder and every one above it, held as long as this lives
};

// Windows loads a hive by its path, as the system account, and creates or writes the
// hive's log files beside it. The folder of the file at path (inside profile) is reached
// the way the file stage reaches a folder, from the profile one name at a time, following
// only Windows' own profile links, and it and every folder on the way are held so that
// none can be renamed or replaced until the result is dropped. Absent: the file or a
// folder on the way is not there (the user never signed in). Refused: a link on the way
// leads elsewhere, a folder on the way cannot be opened or held, or the file or one of
// its log files (.LOG, .LOG1, .LOG2) is a reparse point, has more than one name or cannot
// be looked at.
HiveFile ReachHiveFile(IFileSystem& fs, const std::string& path, const std::string& profile);

}  // namespace qc
