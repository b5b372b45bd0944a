// Deleting an item at the next restart through the session manager's list of pending
// operations (MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT, administrators only).
#include "platform/win32/RestartRemoval_win32.h"

#include <windows.h>

#include "platform/win32/Paths_win32.h"

namespace qc::win {

Status Win32RestartRemoval::ScheduleDelete(const std::string& path) {
  const std::wstring target = WinPath(path);
  // At restart the deletion would act on whatever the name leads to, so a link is
  // refused here; the attributes are those of the link itself, not of its target.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError("GetFileAttributesW");
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "item is a link");
  }
  if (!MoveFileExW(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    return LastError("MoveFileExW");
  }
  return Status::Success();
}

}  // namespace qc::win
