// Deleting the product's folders and files.
#include "files/FileCleaner.h"

#include <array>
#include <optional>
#include <string_view>

#include "files/ProfileFolder.h"

namespace qc {
namespace {

constexpr std::array<std::string_view, 5> kComponentFiles = {
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.exe",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.dll",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.inf",
    "C:\\Windows\\Downloaded Program Files\\DuZide.exe",
    "C:\\Windows\\Downloaded Program Files\\DiVudava.exe",
};

constexpr std::string_view kUnknownProfileLine =
    "Error: The user profile folder is unknown; the per-user folders were not cleaned";

void AddLine(IResultsList& listWork, std::string_view prefix, const std::string& path) {
  std::string line(prefix);
  line += path;
  listWork.AddItem(line);
}

void CleanProfileFolders(IFileSystem& fs, IResultsList& listWork,
                         const std::optional<std::string>& profile) {
  // An unusable value would aim the suffixes at the root of the current drive or
  // at a relative folder: nothing there is the user's to delete.
  if (!profile || !IsUsableProfileFolder(*profile)) {
    listWork.AddItem(kUnknownProfileLine);
    return;
  }
  for (std::string_view suffix : kProfileSuffixes) {
    KillFolder(fs, listWork, *profile + std::string(suffix));
  }
}

}  // namespace

bool KillFolder(IFileSystem& fs, IResultsList& listWork, const std::string& FullPath) {
  std::string path = FullPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path would mean the current folder to some file systems; it names nothing.
  if (path.empty() || !fs.FolderExists(path)) return false;
  const bool failed = !fs.DeleteFolder(path).ok();
  const bool gone = !fs.FolderExists(path);
  AddLine(listWork, gone ? "Folder Deleted: " : "Folder Not Deleted: ", path);
  return !failed && gone;
}

bool KillFile(IFileSystem& fs, IResultsList& listWork, const std::string& delfile) {
  if (delfile.empty() || !fs.FileExists(delfile)) return false;
  // Without force: a read-only component file is left alone and reported.
  const bool failed = !fs.RemoveFile(delfile, false).ok();
  const bool gone = !fs.FileExists(delfile);
  AddLine(listWork, gone ? "File Deleted: " : "File Not Deleted: ", delfile);
  return !failed && gone;
}

void CleanFiles(IFileSystem& fs, IEnvironment& env, IResultsList& listWork) {
  // Read once, before anything is deleted, and used as read.
  const std::optional<std::string> profile = env.Get("USERPROFILE");
  for (std::string_view folder : kInstallFolders) KillFolder(fs, listWork, std::string(folder));
  CleanProfileFolders(fs, listWork, profile);
  for (std::string_view file : kComponentFiles) KillFile(fs, listWork, std::string(file));
}

}  // namespace qc
