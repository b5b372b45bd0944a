// The run log's file. A log may lie in a folder where others can create files, so a
// file planted there as a link or as a second name of another file is refused rather
// than written through, and its owner is read from the very handle that writes.
#include "platform/win32/LogFile_win32.h"

#include <windows.h>

#include "base/Wtf8.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Security_win32.h"

namespace qc::win {
namespace {

class Win32LogWriter final : public ILogWriter {
 public:
  explicit Win32LogWriter(UniqueHandle file) : file_(std::move(file)) {}
  Status Write(std::string_view text) override {
    // The log is UTF-8 for its readers: a name's half surrogate pair shows as U+FFFD.
    const std::string utf8 = Utf8Of(text);
    std::string_view bytes = utf8;
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr)) {
        return LastError("WriteFile");
      }
      bytes.remove_prefix(written);
    }
    return Status::Success();
  }

 private:
  UniqueHandle file_;
};

}  // namespace

OpenedLog Win32LogFile::Open(const std::string& path, LogCreation creation) {
  OpenedLog log;
  // Append access alone: every write lands at the end, so two runs writing at once
  // interleave whole lines. Sharing lets the other run append and rotate meanwhile.
  UniqueHandle file(CreateFileW(WinPath(path).c_str(),
                                FILE_APPEND_DATA | READ_CONTROL | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                creation == LogCreation::CreateOnly ? CREATE_NEW : OPEN_ALWAYS,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    log.status = LastError("CreateFileW");
    return log;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) {
    log.status = LastError("GetFileInformationByHandle");
    return log;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1) {
    log.status = Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "log file is a link");
    return log;
  }
  log.status = OwnerOf(file.get(), SE_FILE_OBJECT, &log.ownerSid);
  if (log.status.ok()) log.writer = std::make_unique<Win32LogWriter>(std::move(file));
  return log;
}

Status Win32LogFile::CreateFolder(const std::string& path) {
  if (CreateDirectoryW(WinPath(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return Status::Success();
  }
  return LastError("CreateDirectoryW");
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
