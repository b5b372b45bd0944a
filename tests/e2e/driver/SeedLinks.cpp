// Seeding: folder links that point out of the product's folders at folders that must
// survive a cleaning run, and the folder listings that tests derive their lines from.
#include <windows.h>

#include "tests/e2e/driver/Seed.h"

namespace qc::e2e {
namespace {

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The Unix name Wine gives a Windows path; empty outside Wine.
std::wstring UnixName(const std::wstring& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (fn == nullptr) return {};
  char* name = fn(path.c_str());
  if (name == nullptr) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, name, -1, out.data(), n);
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

// Starts a Unix tool through Wine's Z: drive and waits for its effect: Wine hands back
// a process handle that cannot be waited on.
template <typename Done>
bool RunUnix(const std::wstring& tool, const std::vector<std::wstring>& args, Done done) {
  std::wstring cmd = tool;
  for (const std::wstring& a : args) cmd += L" \"" + a + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW((L"Z:" + tool).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return WaitUntil(done, 10000);
}

}  // namespace

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::vector<std::wstring> ListNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  for (BOOL ok = find != INVALID_HANDLE_VALUE; ok; ok = FindNextFileW(find, &fd)) {
    const std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  return names;
}

bool IsFolderLink(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
         (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeFolderLink(const std::wstring& linkPath, const std::wstring& target) {
  if (RunningUnderWine()) {
    const std::wstring unixTarget = UnixName(target);
    const std::wstring unixLink = UnixName(linkPath);
    if (unixTarget.empty() || unixLink.empty()) return false;
    return RunUnix(L"/bin/ln", {L"-s", unixTarget, unixLink},
                   [&] { return IsFolderLink(linkPath); });
  }
  return CreateSymbolicLinkW(linkPath.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged create */) &&
         IsFolderLink(linkPath);
}

bool RemoveFolderLink(const std::wstring& linkPath) {
  if (!PathExists(linkPath)) return true;
  if (!IsFolderLink(linkPath)) return false;  // never anything but the link
  if (RunningUnderWine()) {
    const std::wstring unixLink = UnixName(linkPath);
    return !unixLink.empty() &&
           RunUnix(L"/bin/rm", {L"-f", unixLink}, [&] { return !PathExists(linkPath); });
  }
  return RemoveDirectoryW(linkPath.c_str()) != 0;
}

bool Seeder::AddFolderLink(const std::wstring& link, const std::wstring& target,
                           std::wstring* error) {
  if (!SeedFolder(target, true)) {
    *error = L"cannot fill folder " + target;
    return false;
  }
  Add(TraceKind::File, target + L"\\readme.txt", true);
  if (!MakeFolderLink(link, target)) {
    *error = L"cannot link " + link + L" to " + target;
    return false;
  }
  links_.push_back(link);
  return true;
}

}  // namespace qc::e2e
