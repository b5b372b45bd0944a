// Paths and statuses at the file-system boundary.
#include "platform/win32/Paths_win32.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// The "\\?\" form reaches paths longer than MAX_PATH and names that plain paths would
// alter (a trailing dot or blank, a device name such as CON.lnk), so the entry acted on
// is exactly the one listed. It turns off normalisation, so it is used only for paths
// that need none: absolute, backslashes only, no empty, "." or ".." component.
bool NeedsNoNormalising(std::wstring_view p, std::size_t from) {
  if (p.find(L'/') != std::wstring_view::npos) return false;
  std::size_t start = from;
  for (;;) {
    const std::size_t end = std::min(p.find(L'\\', start), p.size());
    const std::wstring_view part = p.substr(start, end - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (end == p.size()) return true;
    start = end + 1;
  }
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
    default:
      return StatusCode::Failed;
  }
}

Status LastError(const char* call) {
  const DWORD error = GetLastError();
  return Status::Fail(CodeOf(error), error, call);
}

std::wstring WinPath(const std::string& path) {
  std::wstring w = ToW(path);
  const std::wstring_view v = w;
  const bool drive = v.size() >= 4 && v[1] == L':' && v[2] == L'\\' &&
                     ((v[0] >= L'A' && v[0] <= L'Z') || (v[0] >= L'a' && v[0] <= L'z'));
  const bool share = v.size() >= 5 && v.starts_with(L"\\\\") && v[2] != L'?' && v[2] != L'.';
  if (drive && NeedsNoNormalising(v, 3)) return L"\\\\?\\" + w;
  if (share && NeedsNoNormalising(v, 2)) return L"\\\\?\\UNC\\" + w.substr(2);
  return w;
}

// The listing pattern keeps its wildcard last component; only the folder part must
// be free of anything that needs normalising.
std::wstring WinPattern(const std::string& pattern) {
  const std::size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) return ToW(pattern);
  return WinPath(pattern.substr(0, slash)) + ToW(pattern.substr(slash));
}

}  // namespace qc::win
