// Deleting the product's folders and files.
#include "files/FileCleaner.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "files/AtRestart.h"
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
      KillFolder(fs, listWork, profile + std::string(suffix), restart);
    }
  }
}

}  // namespace

bool KillFolder(IFileSystem& fs, IResultsSink& listWork, const std::string& FullPath,
                IRestartRemoval* restart) {
  std::string path = FullPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path would mean the current folder to some file systems; it names nothing.
  if (path.empty() || !fs.FolderExists(path)) return false;
  const TreeDeletion deletion = fs.DeleteFolder(path);
  // Gone only when Windows says so: an unreadable folder may still be there.
  const bool gone = fs.GetAttributes(path).gone();
  if (!gone && ScheduleTreeAtRestart(restart, listWork, path, deletion.stayed,
                                     "Folder Deleted at Restart: ")) {
    return false;
  }
  AddLine(listWork, gone, "Folder Deleted: ", "Folder Not Deleted: ", path);
  return deletion.ok() && gone;
}

bool KillFile(IFileSystem& fs, IResultsSink& listWork, const std::string& delfile,
              IRestartRemoval* restart) {
  if (delfile.empty() || !fs.FileExists(delfile)) return false;
  // Not forced: a read-only component file is left alone and reported.
  const Status removal = fs.RemoveFile(delfile);
  const bool failed = !removal.ok();
  const bool gone = fs.GetAttributes(delfile).gone();
  if (!gone && ScheduledAtRestart(restart, removal, delfile)) {
    listWork.Add(std::string(kFileAtRestart) + delfile, Outcome::ScheduledAtRestart);
    return false;
  }
  AddLine(listWork, gone, "File Deleted: ", "File Not Deleted: ", delfile);
  return !failed && gone;
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
