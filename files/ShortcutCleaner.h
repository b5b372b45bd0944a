// Removing the product's shortcuts from the user's Desktop, Start Menu and StartUp.
#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"
#include "platform/ShellFolders.h"
#include "texts/ResultsTexts.h"
#include "users/UserScope.h"

namespace qc {

// Scans the three shortcut folders of each profile of the scope, in order, none of them
// removed. For the current user, a folder the shell reports elsewhere is scanned right
// after the one the rules name; a run over every profile then scans the machine-wide
// Desktop, Start Menu and StartUp.
void CleanProfile(IFileSystem& fs, IOsVersion& os, IShellFolders& shell, UserScope& scope,
                  IResultsSink& listWork, IRestartRemoval& restart);

// Lists dirname completely, then deletes what it selected in listing order: shortcut
// files that name the agent, and any other entry whose path holds tofind. Selected
// folders are scanned the same way and removed at the end of their own scan, however
// deep they nest; links are removed, never entered; dirname itself stays. Where restart
// may, a file in use is deleted at the next restart ("File Deleted at Restart: "), and so
// is a selected folder that stays only because of such items ("Directory Removed at
// Restart: "). dirname is reached from profile when it lies
// inside it, else from its drive's root; a link on the way that leads elsewhere, a folder
// on the way that is there but cannot be opened, and a dirname that is there but cannot
// be opened or listed each give one "Error: " line and no scan.
void SearchDirDel(IFileSystem& fs, IResultsSink& listWork, const std::string& dirname,
                  const std::string& tofind, IRestartRemoval& restart,
                  std::string_view profile = {});

// True exactly when the version query succeeded and reports major version 6 on NT.
bool IsNtVersion6(IOsVersion& os);

}  // namespace qc
