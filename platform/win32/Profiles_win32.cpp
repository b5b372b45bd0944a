// The shell's folders through SHGetFolderPathW, which XP has too, and the profile list
// from the registry.
#include "platform/win32/Profiles_win32.h"

#include <shlobj.h>
#include <windows.h>

#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

constexpr wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

int CsidlOf(ShellFolder folder) {
  switch (folder) {
    case ShellFolder::Desktop:
      return CSIDL_DESKTOPDIRECTORY;
    case ShellFolder::StartMenu:
      return CSIDL_STARTMENU;
    case ShellFolder::Startup:
      return CSIDL_STARTUP;
    case ShellFolder::CommonDesktop:
      return CSIDL_COMMON_DESKTOPDIRECTORY;
    case ShellFolder::CommonStartMenu:
      return CSIDL_COMMON_STARTMENU;
    case ShellFolder::CommonStartup:
      return CSIDL_COMMON_STARTUP;
    case ShellFolder::Profile:
      return CSIDL_PROFILE;
  }
  return -1;
}

// ProfileImagePath, expanded; nullopt when missing, empty or of another type.
std::optional<std::wstring> ImagePath(HKEY list, const wchar_t* sid) {
  UniqueHKey key;
  if (RegOpenKeyExW(list, sid, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
    return {};
  DWORD type = 0, bytes = 0;
  const wchar_t* name = L"ProfileImagePath";
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  // One spare character: the stored text need not end with a NUL.
  std::wstring raw(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(raw.data()),
                       &bytes) != ERROR_SUCCESS) {
    return {};
  }
  raw.resize(wcsnlen(raw.c_str(), raw.size()));
  if (raw.empty()) return {};
  if (type == REG_SZ) return raw;
  const DWORD need = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
  std::wstring expanded(need, L'\0');
  if (need == 0 || ExpandEnvironmentStringsW(raw.c_str(), expanded.data(), need) != need) return {};
  expanded.resize(need - 1);
  return expanded;
}

}  // namespace

std::optional<std::string> Win32ShellFolders::Path(ShellFolder folder) {
  wchar_t path[MAX_PATH] = {};
  // The token argument null: the folders of the account the process runs as.
  if (SHGetFolderPathW(nullptr, CsidlOf(folder), nullptr, SHGFP_TYPE_CURRENT, path) != S_OK ||
      path[0] == L'\0') {
    return std::nullopt;
  }
  return ToUtf8(path);
}

std::optional<std::vector<ProfileEntry>> Win32ProfileList::List() {
  // The list lives in the 64-bit view; 32-bit Windows ignores the flag.
  UniqueHKey list;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ | KEY_WOW64_64KEY, list.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<ProfileEntry> entries;
  for (DWORD i = 0;; ++i) {
    wchar_t sid[256];
    DWORD chars = 256;
    const LONG status =
        RegEnumKeyExW(list.get(), i, sid, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return entries;
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (auto path = ImagePath(list.get(), sid)) entries.push_back({ToUtf8(sid), ToUtf8(*path)});
  }
}

}  // namespace qc::win
