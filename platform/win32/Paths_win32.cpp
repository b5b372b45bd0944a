// Paths and statuses at the file-system boundary.
#include "platform/win32/Paths_win32.h"

#include <windows.h>

#include <optional>

#include "base/FolderPath.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// Listing without short names, in large blocks, is faster; Windows accepts both only
// from 7 (NT 6.1) on and refuses them before with ERROR_INVALID_PARAMETER. Named here,
// as the declarations are those of the oldest Windows the program supports.
constexpr auto kFindExInfoBasic = static_cast<FINDEX_INFO_LEVELS>(1);
constexpr DWORD kFindFirstExLargeFetch = 0x2;

bool AcceptsBasicListing() {
  static const bool accepted = [] {
    const DWORD version = GetVersion();
    const DWORD major = LOBYTE(LOWORD(version));
    const DWORD minor = HIBYTE(LOWORD(version));
    return major > 6 || (major == 6 && minor >= 1);
  }();
  return accepted;
}

}  // namespace

StatusCode CodeOf(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StatusCode::NotFound;
    case ERROR_ACCESS_DENIED:
      return StatusCode::Denied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return StatusCode::InUse;
    case ERROR_DIR_NOT_EMPTY:
      return StatusCode::NotEmpty;
    default:
      return StatusCode::Failed;
  }
}

Status LastError(const char* call) {
  const DWORD error = GetLastError();
  return Status::Fail(CodeOf(error), error, call);
}

// The "\\?\" form reaches paths longer than MAX_PATH and names that plain paths would
// alter (a trailing dot or blank, a device name such as CON.lnk), so the entry acted on
// is exactly the one listed. It turns normalisation off, so the path is first put in
// the one spelling that needs none.
std::wstring WinPath(const std::string& path) {
  const std::optional<std::string> folder = NormaliseFolder(path);
  if (!folder) return ToW(path);  // not absolute: Windows resolves it as it would anyway
  if (folder->starts_with("\\\\")) {
    // A share's root keeps its backslash, as a drive's does.
    const bool root = folder->find('\\', folder->find('\\', 2) + 1) == std::string::npos;
    return L"\\\\?\\UNC" + ToW(folder->substr(1)) + (root ? L"\\" : L"");
  }
  // A drive's root keeps its backslash: "\\?\C:" alone names the volume, not its root.
  return L"\\\\?\\" + ToW(*folder) + (folder->size() == 2 ? L"\\" : L"");
}

// The listing pattern keeps its wildcard last component; only the folder part is
// normalised.
std::wstring WinPattern(const std::string& pattern) {
  const std::size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) return ToW(pattern);
  std::wstring folder = WinPath(pattern.substr(0, slash));
  if (folder.ends_with(L'\\')) folder.pop_back();
  return folder + ToW(pattern.substr(slash));
}

UniqueFind FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW* data, bool largeFetch) {
  if (AcceptsBasicListing()) {
    UniqueFind find(FindFirstFileExW(pattern.c_str(), kFindExInfoBasic, data, FindExSearchNameMatch,
                                     nullptr, largeFetch ? kFindFirstExLargeFetch : 0));
    // Refused all the same (a compatibility layer that hides the version): the plain form.
    if (find || GetLastError() != ERROR_INVALID_PARAMETER) return find;
  }
  return UniqueFind(FindFirstFileExW(pattern.c_str(), FindExInfoStandard, data,
                                     FindExSearchNameMatch, nullptr, 0));
}

}  // namespace qc::win
