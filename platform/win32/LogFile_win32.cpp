// Appending to the run log. The log of the system account lies in the Windows Temp
// folder, where every user may create files, so a file planted there as a link or as a
// second name of another file is refused rather than written through.
#include "platform/win32/LogFile_win32.h"

#include <windows.h>

#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"

namespace qc::win {

Status Win32LogFile::Append(const std::string& path, std::string_view bytes) {
  // Append access alone: every write lands at the end, so two runs writing at once
  // interleave whole lines. Sharing lets the other run append and rotate meanwhile.
  UniqueHandle file(CreateFileW(WinPath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return LastError("CreateFileW");
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info))
    return LastError("GetFileInformationByHandle");
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1) {
    return Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "log file is a link");
  }
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr)) {
      return LastError("WriteFile");
    }
    bytes.remove_prefix(written);
  }
  return Status::Success();
}

std::optional<std::uint64_t> Win32LogFile::Size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WinPath(path).c_str(), GetFileExInfoStandard, &data)) return {};
  return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Status Win32LogFile::Replace(const std::string& from, const std::string& to) {
  // A link at either name is renamed or replaced itself, never followed.
  if (!MoveFileExW(WinPath(from).c_str(), WinPath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return LastError("MoveFileExW");
  }
  return Status::Success();
}

}  // namespace qc::win
