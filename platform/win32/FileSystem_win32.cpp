// Existence tests and deletion of files and folder trees.
#include "platform/win32/FileSystem_win32.h"

namespace qc::win {

// Not built yet: sees no file until the file stage lands.
bool Win32FileSystem::FolderExists(const std::string&) { return false; }
bool Win32FileSystem::FileExists(const std::string&) { return false; }
Status Win32FileSystem::DeleteFolder(const std::string&) {
  return Status::Fail(StatusCode::Failed, 0, "DeleteFolder");
}
Status Win32FileSystem::RemoveFile(const std::string&, bool) {
  return Status::Fail(StatusCode::Failed, 0, "DeleteFile");
}

}  // namespace qc::win
