// Deleting the product's folders and files.
#include "files/FileCleaner.h"

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "files/AtRestart.h"
#include "files/FolderWalk.h"
#include "files/ProgramFilesFolders.h"
#include "paths/OpenPath.h"
#include "texts/ResultsTexts.h"

namespace qc {
namespace {

constexpr std::array<std::string_view, 5> kComponentFiles = {
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.exe",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.dll",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.inf",
    "C:\\Windows\\Downloaded Program Files\\DuZide.exe",
    "C:\\Windows\\Downloaded Program Files\\DiVudava.exe",
};

void AddLine(IResultsSink& listWork, bool done, std::string_view doneText,
             std::string_view failedText, const std::string& path) {
  std::string line(done ? doneText : failedText);
  line += path;
  listWork.Add(line, done ? Outcome::Success : Outcome::Failure);
}

// Opens what a path names, or tells why not: an "Error: " line for a link that leads
// elsewhere or a folder on the way that could not be opened; otherwise the status of a
// name that is there but cannot be opened.
std::optional<OpenedPath> OpenToDelete(IFileSystem& fs, IResultsSink& listWork,
                                       const std::string& path, std::string_view profile) {
  OpenedPath opened = OpenPath(fs, path, profile, false);
  if (const std::optional<std::string> refused = RefusedWayLine(opened.state, path)) {
    listWork.Add(*refused, Outcome::Failure);
    return std::nullopt;
  }
  return opened;
}

// Whether the open item, or the name that did not open, is a folder (or a file).
bool IsFolder(OpenedPath& opened, bool folder) {
  std::optional<std::uint32_t> attributes;
  if (opened.item) {
    attributes = opened.item->Attributes();
  } else if (opened.parent && opened.status.code != StatusCode::NotFound) {
    attributes = ListedAttributes(*opened.parent, opened.name);
  }
  return attributes && ((*attributes & kAttrDirectory) != 0) == folder;
}

// How a folder deletion ended: deleted cleanly, and whether a folder on the way to it was
// missing (rather than the folder itself).
struct FolderRemoval {
  bool deleted = false;
  bool wayMissing = false;
};

FolderRemoval RemoveFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath,
                           IRestartRemoval& restart, std::string_view profile) {
  std::string path = FullPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path would mean the current folder to some file systems; it names nothing.
  if (path.empty()) return {};
  std::optional<OpenedPath> opened = OpenToDelete(fs, listWork, path, profile);
  if (opened && opened->state == PathState::Missing && !opened->parent) return {false, true};
  if (!opened || !IsFolder(*opened, true)) return {};
  TreeDeletion deletion(opened->status);
  if (opened->item) {
    // A listed folder that is itself a link: the link goes, what it points to stays.
    const bool link = IsLink(*opened->item);
    deletion = link ? TreeDeletion(DeleteItem(std::move(opened->item)))
                    : RemoveTree(std::move(opened->item), path);
  }
  // Gone only when the name no longer opens: an unreadable folder may still be there.
  const bool gone = opened->parent->ChildGone(opened->name);
  if (!gone && ScheduleTreeAtRestart(restart, listWork, path, deletion.stayed)) return {};
  AddLine(listWork, gone, kFolderDeleted, kFolderNotDeleted, path);
  return {deletion.ok() && gone, false};
}

// Vista and later keep the per-user data under AppData; only XP has the folders of the
// list's names. With no version known, today's Windows is the likelier.
bool KeepsAppData(IOsVersion& os) {
  const std::optional<OsVersionInfo> v = os.QueryVersion();
  return !v || (v->platformId == kVerPlatformWin32Nt && v->majorVersion >= 6);
}

void CleanProfileFolders(IFileSystem& fs, IOsVersion& os, IResultsSink& listWork, UserScope& scope,
                         IRestartRemoval& restart) {
  // An unusable value would aim the suffixes at the root of the current drive or
  // at a relative folder: nothing there is the user's to delete.
  if (!scope.profiles) {
    ReportUnknownProfiles(scope, listWork, kFilesProfileUnknownLine);
    return;
  }
  const bool appData = KeepsAppData(os);
  for (const std::string& profile : *scope.profiles) {
    for (std::size_t i = 0; i < kProfileSuffixes.size(); ++i) {
      const FolderRemoval listed =
          RemoveFolder(fs, listWork, profile + std::string(kProfileSuffixes[i]), restart, profile);
      // Windows names its links to the data folders in the language it was installed in
      // (a Czech profile has no "Application Data"): the folders are where it keeps them.
      if (listed.wayMissing && appData && !kAppDataSuffixes[i].empty()) {
        RemoveFolder(fs, listWork, profile + std::string(kAppDataSuffixes[i]), restart, profile);
      }
    }
  }
}

}  // namespace

bool KillFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath,
                IRestartRemoval& restart, std::string_view profile) {
  return RemoveFolder(fs, listWork, FullPath, restart, profile).deleted;
}

bool KillFile(IFileSystem& fs, IResultsSink& listWork, const std::string& delfile,
              IRestartRemoval& restart) {
  // A file's path never ends in a backslash; such a path names no file.
  if (delfile.empty() || delfile.back() == '\\') return false;
  std::optional<OpenedPath> opened = OpenToDelete(fs, listWork, delfile, {});
  if (!opened || !IsFolder(*opened, false)) return false;
  Status removal = opened->status;
  if (std::unique_ptr<IFileItem> item = std::move(opened->item)) {
    // Not forced: a read-only component file is left alone and reported.
    removal = (item->Attributes() & kAttrReadOnly) != 0
                  ? Status::Refused(StatusCode::Denied, "read-only")
                  : DeleteItem(std::move(item));
  }  // closed here either way, before its folder is asked whether the name is gone
  const bool gone = opened->parent->ChildGone(opened->name);
  if (const std::optional<std::string> line =
          gone ? std::nullopt : FileAtRestart(restart, removal, delfile)) {
    listWork.Add(*line, Outcome::ScheduledAtRestart);
    return false;
  }
  AddLine(listWork, gone, kFileDeleted, kFileNotDeleted, delfile);
  return removal.ok() && gone;
}

void CleanFiles(IFileSystem& fs, IEnvironment& env, IOsVersion& os, UserScope& scope,
                IResultsSink& listWork, IRestartRemoval& restart) {
  // Read before anything is deleted.
  const std::vector<std::string> extraFolders = ExtraInstallFolders(env);
  for (std::string_view folder : kInstallFolders) {
    KillFolder(fs, listWork, std::string(folder), restart);
  }
  for (const std::string& folder : extraFolders) KillFolder(fs, listWork, folder, restart);
  CleanProfileFolders(fs, os, listWork, scope, restart);
  for (std::string_view file : kComponentFiles) KillFile(fs, listWork, std::string(file), restart);
}

}  // namespace qc
