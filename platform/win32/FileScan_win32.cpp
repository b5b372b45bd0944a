// Folder listing and attributes by path.
#include <windows.h>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// Hidden, system and folder entries are listed only when the selection asks for them;
// everything else is always listed.
bool InSelection(DWORD attributes, std::uint32_t selection) {
  const DWORD gated = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  return (attributes & gated & ~DWORD(selection)) == 0;
}

}  // namespace

std::optional<std::vector<DirEntry>> Win32FileSystem::List(const std::string& pattern,
                                                           std::uint32_t selection) {
  WIN32_FIND_DATAW data{};
  UniqueFind find = FindFirst(WinPattern(pattern), &data, true);
  std::vector<DirEntry> entries;
  if (!find) {
    // A drive's root has no "." entry, so an empty match is not a failure.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return std::nullopt;
  }
  do {
    if (InSelection(data.dwFileAttributes, selection)) {
      const bool reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      entries.push_back({ToUtf8(data.cFileName), std::uint32_t(data.dwFileAttributes),
                         reparse ? std::uint32_t(data.dwReserved0) : 0});
    }
  } while (FindNextFileW(find.get(), &data));
  // A listing cut short by an error keeps what it found: each entry is judged alone.
  return entries;
}

Attributes Win32FileSystem::GetAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WinPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {LastError("GetFileAttributesW")};
  return {Status::Success(), std::uint32_t(attributes)};
}

}  // namespace qc::win
