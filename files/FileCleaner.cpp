// Deleting the product's folders and files.
#include "files/FileCleaner.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "files/AtRestart.h"
#include "files/FolderWalk.h"
#include "files/OpenPath.h"
#include "files/ProgramFilesFolders.h"

namespace qc {
namespace {

constexpr std::array<std::string_view, 5> kComponentFiles = {
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.exe",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.dll",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.inf",
    "C:\\Windows\\Downloaded Program Files\\DuZide.exe",
    "C:\\Windows\\Downloaded Program Files\\DiVudava.exe",
};

constexpr const char* kUnknownProfileLine =
    "Error: The user profile folder is unknown; the per-user folders were not cleaned";

void AddLine(IResultsSink& listWork, bool done, std::string_view doneText,
             std::string_view failedText, const std::string& path) {
  std::string line(done ? doneText : failedText);
  line += path;
  listWork.Add(line, done ? Outcome::Success : Outcome::Failure);
}

void CleanProfileFolders(IFileSystem& fs, IResultsSink& listWork, UserScope& scope,
                         IRestartRemoval* restart) {
  // An unusable value would aim the suffixes at the root of the current drive or
  // at a relative folder: nothing there is the user's to delete.
  if (!scope.profiles) {
    ReportUnknownProfiles(scope, listWork, kUnknownProfileLine);
    return;
  }
  for (const std::string& profile : *scope.profiles) {
    for (std::string_view suffix : kProfileSuffixes) {
      KillFolder(fs, listWork, profile + std::string(suffix), restart, profile);
    }
  }
}

}  // namespace

namespace {

// Opens what a path names, or tells why not: an "Error: " line for a link that leads
// elsewhere; otherwise the status of a name that is there but cannot be opened.
std::optional<OpenedPath> OpenToDelete(IFileSystem& fs, IResultsSink& listWork,
                                       const std::string& path, std::string_view profile) {
  OpenedPath opened = OpenPath(fs, path, profile, false);
  if (opened.state == PathState::LinkElsewhere) {
    listWork.Add(LinkElsewhereLine(path), Outcome::Failure);
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

}  // namespace

bool KillFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath,
                IRestartRemoval* restart, std::string_view profile) {
  std::string path = FullPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path would mean the current folder to some file systems; it names nothing.
  if (path.empty()) return false;
  std::optional<OpenedPath> opened = OpenToDelete(fs, listWork, path, profile);
  if (!opened || !IsFolder(*opened, true)) return false;
  TreeDeletion deletion(opened->status);
  if (opened->item) {
    // A listed folder that is itself a link: the link goes, what it points to stays.
    const bool link = (opened->item->Attributes() & kAttrReparsePoint) != 0;
    deletion = link ? TreeDeletion(opened->item->Delete()) : RemoveTree(*opened->item, path);
    opened->item->Close();
  }
  // Gone only when the name no longer opens: an unreadable folder may still be there.
  const bool gone = opened->parent->ChildGone(opened->name);
  if (!gone && ScheduleTreeAtRestart(restart, listWork, path, deletion.stayed,
                                     "Folder Deleted at Restart: ")) {
    return false;
  }
  AddLine(listWork, gone, "Folder Deleted: ", "Folder Not Deleted: ", path);
  return deletion.ok() && gone;
}

bool KillFile(IFileSystem& fs, IResultsSink& listWork, const std::string& delfile,
              IRestartRemoval* restart) {
  // A file's path never ends in a backslash; such a path names no file.
  if (delfile.empty() || delfile.back() == '\\') return false;
  std::optional<OpenedPath> opened = OpenToDelete(fs, listWork, delfile, {});
  if (!opened || !IsFolder(*opened, false)) return false;
  Status removal = opened->status;
  if (opened->item) {
    // Not forced: a read-only component file is left alone and reported.
    removal = (opened->item->Attributes() & kAttrReadOnly) != 0
                  ? Status::Fail(StatusCode::Denied, 5, "DeleteFile")
                  : opened->item->Delete();
    opened->item->Close();
  }
  const bool gone = opened->parent->ChildGone(opened->name);
  if (!gone && ScheduledAtRestart(restart, removal, delfile)) {
    listWork.Add(std::string(kFileAtRestart) + delfile, Outcome::ScheduledAtRestart);
    return false;
  }
  AddLine(listWork, gone, "File Deleted: ", "File Not Deleted: ", delfile);
  return removal.ok() && gone;
}

void CleanFiles(IFileSystem& fs, IEnvironment& env, UserScope& scope, IResultsSink& listWork,
                IRestartRemoval* restart) {
  // Read before anything is deleted.
  const std::vector<std::string> extraFolders = ExtraInstallFolders(env);
  for (std::string_view folder : kInstallFolders) {
    KillFolder(fs, listWork, std::string(folder), restart);
  }
  for (const std::string& folder : extraFolders) KillFolder(fs, listWork, folder, restart);
  CleanProfileFolders(fs, listWork, scope, restart);
  for (std::string_view file : kComponentFiles) KillFile(fs, listWork, std::string(file), restart);
}

void CleanFiles(IFileSystem& fs, IEnvironment& env, IResultsSink& listWork,
                IRestartRemoval* restart) {
  UserScope scope = CurrentUserScope(env);
  CleanFiles(fs, env, scope, listWork, restart);
}

}  // namespace qc
