// Deleting the product's installation, data and cache folders and its component files.
#pragma once

#include <string>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ResultsList.h"

namespace qc {

// Deletes the folder tree at FullPath (one trailing backslash dropped) and writes one
// line when it existed: "Folder Deleted: " when it is gone afterwards, else
// "Folder Not Deleted: ". True only when the deletion reported no failure and the
// folder is gone; False when it did not exist.
bool KillFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath);

// Deletes the file at delfile without force (a read-only file stays) and writes one
// line when it existed: "File Deleted: " when it is gone, else "File Not Deleted: ",
// with the path exactly as passed. True only when it was deleted cleanly.
bool KillFile(IFileSystem& fs, IResultsSink& listWork, const std::string& delfile);

// Walks the fixed list of installation folders, per-user data folders and component
// files, in order.
void CleanFiles(IFileSystem& fs, IEnvironment& env, IResultsSink& listWork);

}  // namespace qc
