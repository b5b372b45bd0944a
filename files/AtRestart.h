// Deleting at the next restart what a run could not delete because it is in use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"

namespace qc {

inline constexpr std::string_view kFileAtRestart = "File Deleted at Restart: ";

// Whether a failed removal may be left to the next restart: only an item in use, and
// only when Windows lets the process schedule it. Any other failure stays a failure.
bool ScheduledAtRestart(IRestartRemoval& restart, const Status& removal, const std::string& path);

// A folder that stayed after its deletion: when what stayed inside it is only files in
// use, schedules them, then the folders holding them and the folder itself, innermost
// first, and writes a kFileAtRestart line per file and folderLine + root last. False when
// anything else stayed or Windows refuses; then only the files scheduled before the
// refusal have their lines.
bool ScheduleTreeAtRestart(IRestartRemoval& restart, IResultsSink& listWork,
                           const std::string& root, const std::vector<Leftover>& stayed,
                           std::string_view folderLine);

}  // namespace qc
