// Every line the run writes into the results list, stage by stage, in one place: the
// README's table and the administrators' log filters are read against these words.
// Any line that starts with "Error: " counts as an error in the run's summary.
#pragma once

#include <string>
#include <string_view>

namespace qc {

inline std::string ListLine(std::string_view text, std::string_view path) {
  return std::string(text).append(path);
}

// Processes.
inline constexpr char kProcessTerminated[] = "Process Terminated: ";
inline constexpr char kProcessNotTerminated[] = "Process Not Terminated: ";
inline constexpr char kProcessesUnlistedLine[] =
    "Error: The running processes could not be listed; none were terminated";

// Registry.
inline constexpr char kKeyDeletedPrefix[] = "Registry Key Deleted: ";
inline constexpr char kKeyNotDeletedPrefix[] = "Registry Key Not Deleted: ";
inline std::string HiveNotLoadedLine(std::string_view profile) {
  return ListLine("Error: The registrations of the user profile ", profile) +
         " could not be loaded";
}
inline std::string HiveNotUnloadedLine(std::string_view profile) {
  return ListLine("Error: The registrations of the user profile ", profile) +
         " could not be unloaded";
}

// Folders, files and shortcuts.
inline constexpr char kFolderDeleted[] = "Folder Deleted: ";
inline constexpr char kFolderNotDeleted[] = "Folder Not Deleted: ";
inline constexpr char kFileDeleted[] = "File Deleted: ";
inline constexpr char kFileNotDeleted[] = "File Not Deleted: ";
inline constexpr char kDirectoryNotRemoved[] = "Directory Not Removed: ";
inline constexpr char kFileAtRestart[] = "File Deleted at Restart: ";
inline constexpr char kFolderAtRestart[] = "Folder Deleted at Restart: ";
inline constexpr char kScannedFolderAtRestart[] = "Directory Removed at Restart: ";
inline constexpr char kFilesProfileUnknownLine[] =
    "Error: The user profile folder is unknown; the per-user folders were not cleaned";
inline constexpr char kProfileUnknownLine[] =
    "Error: The user profile folder is unknown; the shortcuts were not cleaned";
inline std::string LinkElsewhereLine(std::string_view path) {
  return ListLine("Error: A link on the way to ", path) + " leads elsewhere; it was not cleaned";
}
inline std::string UnreachableLine(std::string_view path) {
  return ListLine("Error: A folder on the way to ", path) +
         " could not be opened; it was not cleaned";
}
inline std::string UnreadableFolderLine(std::string_view path) {
  return ListLine("Error: The folder ", path) + " could not be read; it was not cleaned";
}

// Whose profiles a run covers.
inline constexpr char kProfilesUnlistedLine[] =
    "Error: The user profiles could not be listed; their folders and shortcuts were not cleaned";
inline std::string ProfileUnreadableLine(std::string_view profile) {
  return ListLine("Error: The user profile ", profile) + " could not be cleaned";
}

// A stage that ended on an exception of its own.
inline constexpr char kProcessesStopped[] = "Error: Ending the processes stopped unexpectedly";
inline constexpr char kRegistryStopped[] = "Error: Cleaning the registry stopped unexpectedly";
inline constexpr char kFilesStopped[] =
    "Error: Cleaning the folders and files stopped unexpectedly";
inline constexpr char kShortcutsStopped[] = "Error: Cleaning the shortcuts stopped unexpectedly";

}  // namespace qc
