// Removing the product's shortcuts from the user's Desktop, Start Menu and StartUp.
#pragma once

#include <string>
#include <string_view>

#include "users/UserScope.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"
#include "platform/ShellFolders.h"

namespace qc {

inline constexpr const char* kProfileUnknownLine =
    "Error: The user profile folder is unknown; the shortcuts were not cleaned";

// Scans the three shortcut folders of each profile of the scope, in order, none of them
// removed. For the current user, a folder the shell reports elsewhere is scanned right
// after the one the rules name; a run over every profile then scans the machine-wide
// Desktop, Start Menu and StartUp. shell may be null: no folder is reported.
void CleanProfile(IFileSystem& fs, IOsVersion& os, IShellFolders* shell, UserScope& scope,
                  IResultsSink& listWork, IRestartRemoval* restart = nullptr);

// The same for the profile USERPROFILE names, without the shell's folders.
void CleanProfile(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsSink& listWork,
                  IRestartRemoval* restart = nullptr);

// Lists dirname completely, then deletes what it selected in listing order: shortcut
// files that name the agent, and any other entry whose path holds tofind. Selected
// folders are scanned the same way and removed at the end of their own scan, however
// deep they nest; links are removed, never entered. With delatend, dirname itself is
// removed at the end. With restart, a file in use is deleted at the next restart ("File
// Deleted at Restart: "), and so is a selected folder that stays only because of such
// items ("Directory Removed at Restart: "). dirname is reached from profile when it lies
// inside it, else from its drive's root; a link on the way that leads elsewhere, a folder
// on the way that is there but cannot be opened, and a dirname that is there but cannot
// be opened or listed each give one "Error: " line and no scan.
void SearchDirDel(IFileSystem& fs, IResultsSink& listWork, const std::string& dirname,
                  const std::string& tofind, bool delatend, IRestartRemoval* restart = nullptr,
                  std::string_view profile = {});

// True when the file's bytes, upper-cased as single-byte characters, contain the agent's
// image name. A folder or a file that cannot be read gives false.
bool ShortcutTargetsAgent(IFileSystem& fs, const std::string& path);

// True exactly when the version query succeeded and reports major version 6 on NT.
bool IsNtVersion6(IOsVersion& os);

}  // namespace qc
