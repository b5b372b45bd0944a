// Deleting at the next restart what a run could not delete because it is in use.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"

namespace qc {

// A file whose removal failed, left to the next restart: only one in use, and only when
// Windows lets the process schedule it. Its line, or nullopt: any other failure stays one.
std::optional<std::string> FileAtRestart(IRestartRemoval& restart, const Status& removal,
                                         const std::string& path);

// A scanned folder that stayed only because of items the next restart deletes, left to
// the restart too when Windows lets the process schedule it: its line, or nullopt.
std::optional<std::string> ScannedFolderAtRestart(IRestartRemoval& restart,
                                                  const std::string& path);

// A folder that stayed after its deletion: when what stayed inside it is only files in
// use, schedules them, then the folders holding them and the folder itself, innermost
// first, and writes a line per file and the folder's own last. False when anything else
// stayed or Windows refuses; then only the files scheduled before the refusal have their
// lines.
bool ScheduleTreeAtRestart(IRestartRemoval& restart, IResultsSink& listWork,
                           const std::string& root, const std::vector<Leftover>& stayed);

}  // namespace qc
