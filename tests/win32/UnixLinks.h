// Folder links for the adapter tests: under Wine a Unix symbolic link, which Wine lists as
// a reparse-point folder as Windows lists a junction; on Windows a symbolic link.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"
#include "win32/NewerApi.h"

namespace qc::win {

inline std::wstring Long(const std::string& path) { return L"\\\\?\\" + ToW(path); }

inline bool Exists(const std::string& path) {
  return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Runs a Unix tool through Wine's Z: drive and waits until `done` holds. Wine hands
// back a process handle that cannot be waited on, hence the polling.
inline bool RunUnix(const wchar_t* tool, std::wstring args, const std::string& cwd,
                    bool (*done)(const std::string&), const std::string& watched) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(tool, args.data(), nullptr, nullptr, FALSE, 0, nullptr, ToW(cwd).c_str(), &si,
                      &pi)) {
    return false;
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  for (int i = 0; i < 250 && !done(watched); ++i) Sleep(20);
  return done(watched);
}

// A directory link at folder\name pointing at ..\target, by the means the platform has.
inline bool MakeFolderLink(const std::string& folder, const std::string& name,
                           const std::string& target) {
  if (UnderWine()) {
    // Wine accepts CreateSymbolicLinkW but makes nothing; a Unix link shows as a
    // reparse-point directory, which is what a junction looks like on Windows.
    return RunUnix(L"Z:\\bin\\ln", L"ln -s \"../" + ToW(target) + L"\" \"" + ToW(name) + L"\"",
                   folder, Exists, folder + "\\" + name);
  }
  const std::string link = folder + "\\" + name;
  const std::string to = folder.substr(0, folder.rfind('\\')) + "\\" + target;
  return CreateSymbolicLinkW(ToW(link).c_str(), ToW(to).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged */) != 0;
}

inline void RemoveFolderLink(const std::string& folder, const std::string& name) {
  const std::string link = folder + "\\" + name;
  if (!Exists(link)) return;
  if (UnderWine()) {
    RunUnix(
        L"Z:\\bin\\rm", L"rm \"" + ToW(name) + L"\"", folder,
        [](const std::string& p) { return !Exists(p); }, link);
  } else {
    RemoveDirectoryW(ToW(link).c_str());
  }
}

}  // namespace qc::win
