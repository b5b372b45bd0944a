// Folder listing, attributes, empty-folder removal and reading files.
#include "platform/win32/FileSystem_win32.h"

namespace qc::win {

// Not built yet: lists nothing until the shortcut stage lands.
std::optional<std::vector<DirEntry>> Win32FileSystem::List(const std::string&, std::uint32_t) {
  return std::nullopt;
}
std::optional<std::uint32_t> Win32FileSystem::GetAttributes(const std::string&) {
  return std::nullopt;
}
Status Win32FileSystem::SetAttributes(const std::string&, std::uint32_t) {
  return Status::Fail(StatusCode::Failed, 0, "SetFileAttributes");
}
Status Win32FileSystem::RemoveFolder(const std::string&) {
  return Status::Fail(StatusCode::Failed, 0, "RemoveDirectory");
}
std::unique_ptr<IByteStream> Win32FileSystem::OpenRead(const std::string&) { return nullptr; }

}  // namespace qc::win
