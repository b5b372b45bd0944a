// Deleting the product's installation, data and cache folders and its component files.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"
#include "users/UserScope.h"

namespace qc {

// The product's installation folders, in the order they are deleted.
inline constexpr std::array<std::string_view, 10> kInstallFolders = {
    "C:\\Kelvora Quenzor 5.1",
    "C:\\Kelvora Quenzor 5.5",
    "C:\\Kelvora Quenzor 5.6",
    "C:\\Kelvora Quenzor 5.9",
    "C:\\Kelvora Quenzor 6.1",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.1",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.5",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.6",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.9",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 6.1",
};

// The per-user data folders, appended to the profile folder as read; each begins with
// its backslash.
inline constexpr std::array<std::string_view, 3> kProfileSuffixes = {
    "\\Norvane",
    "\\Application Data\\Norvane",
    "\\Local Settings\\Application Data\\Norvane",
};

// Where Vista and later keep each of them, for a profile whose links to them have other
// names or none ("" where the folder lies directly in the profile).
inline constexpr std::array<std::string_view, 3> kAppDataSuffixes = {
    "",
    "\\AppData\\Roaming\\Norvane",
    "\\AppData\\Local\\Norvane",
};

// Deletes the folder tree at FullPath (one trailing backslash dropped) and writes one
// line when it existed: "Folder Deleted: " when it is gone afterwards, else
// "Folder Not Deleted: ". A folder kept only by files in use is deleted at the next
// restart instead, where restart may: a "File Deleted at Restart: " line per file, then
// "Folder Deleted at Restart: ". True only when the deletion reported no failure and the folder
// is gone; False when it did not exist. A path inside profile is reached from it, any
// other from its drive's root; a link on the way that leads elsewhere, or a folder on the
// way that is there but cannot be opened, gives one "Error: " line and no deletion.
bool KillFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath,
                IRestartRemoval& restart, std::string_view profile = {});

// Deletes the file at delfile without force (a read-only file stays) and writes one
// line when it existed: "File Deleted: " when it is gone, else "File Not Deleted: ",
// with the path exactly as passed; a file in use is deleted at the next restart instead
// where restart may ("File Deleted at Restart: "). True only when it was deleted cleanly.
bool KillFile(IFileSystem& fs, IResultsSink& listWork, const std::string& delfile,
              IRestartRemoval& restart);

// Walks the fixed list of installation folders, the same version folders under the
// other Program Files folders Windows reports, the data folders of each profile of the
// scope, and the component files, in order. On Vista and later, a data folder whose
// profile has no folder of the list's name on the way is deleted where Windows keeps it
// (kAppDataSuffixes), and its line names that path. Items in use go at the next restart
// where restart may.
void CleanFiles(IFileSystem& fs, IEnvironment& env, IOsVersion& os, UserScope& scope,
                IResultsSink& listWork, IRestartRemoval& restart);

}  // namespace qc
