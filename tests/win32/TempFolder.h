// A temporary folder for the file adapter tests, with what they make in it: folders,
// files with attributes, and folder links (under Wine a Unix symbolic link, which Wine
// lists as a reparse-point folder as Windows lists a junction; on Windows a symbolic
// link). Everything goes at the end, the links first, so that nothing behind one is touched.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fakes/FakeMachine.h"
#include "fakes/FakeResults.h"
#include "files/FileCleaner.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"
#include "win32/NewerApi.h"

namespace qc::win {

inline std::wstring Long(const std::string& path) { return L"\\\\?\\" + ToW(path); }

inline bool Exists(const std::string& path) {
  return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The Unix name of a path under Wine; empty on Windows.
inline std::string UnixName(const std::string& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = fn != nullptr ? fn(ToW(path).c_str()) : nullptr;
  if (name == nullptr) return {};
  std::string out(name);
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

// Runs a Unix tool through Wine's Z: drive until `watched` exists or not, as `made` says.
// Wine hands back a process handle that cannot be waited on, hence the polling.
inline bool RunUnix(const std::wstring& tool, const std::vector<std::string>& args,
                    const std::string& watched, bool made) {
  std::wstring command = tool;
  for (const std::string& a : args) command += L" \"" + ToW(a) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW((L"Z:" + tool).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi)) {
    return false;
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  for (int i = 0; i < 250 && Exists(watched) != made; ++i) Sleep(20);
  return Exists(watched) == made;
}

inline bool MakeDir(const std::string& path, DWORD attributes = 0) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryW(Long(path.substr(0, at)).c_str(), nullptr);
  }
  const bool made = (CreateDirectoryW(Long(path).c_str(), nullptr) || Exists(path)) &&
                    (attributes == 0 || SetFileAttributesW(Long(path).c_str(), attributes));
  EXPECT_TRUE(made) << path << " " << GetLastError();
  return made;
}

inline bool MakeFile(const std::string& path, const std::string& content = "data",
                     DWORD attributes = 0) {
  MakeDir(path.substr(0, path.rfind('\\')));
  UniqueHandle file(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  const bool made =
      file && WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr);
  file.reset();
  const bool set = made && (attributes == 0 || SetFileAttributesW(Long(path).c_str(), attributes));
  EXPECT_TRUE(set) << path << " " << GetLastError();
  return set;
}

// The names in a folder, as Windows lists them.
inline std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW((Long(folder) + L"\\*").c_str(), &data));
  for (bool more = bool(find); more; more = FindNextFileW(find.get(), &data)) {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(ToUtf8(name));
  }
  return names;
}

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    static int counter = 0;
    root_ = ToUtf8(temp) + "qc-fs-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    ASSERT_TRUE(MakeDir(root_));
  }
  void TearDown() override {
    for (const std::string& link : links_) {
      const std::string unixLink = UnixName(link);
      if (!Exists(link)) continue;
      if (unixLink.empty()) RemoveDirectoryW(Long(link).c_str());
      if (!unixLink.empty()) RunUnix(L"/bin/rm", {unixLink}, link, false);
    }
    test::RecordingSink ignored;
    KillFolder(fs_, ignored, root_, test::noRestart);
  }
  std::string At(const std::string& relative) const { return root_ + "\\" + relative; }
  // A folder link at `link` to the folder `target`, both full paths; false where links
  // cannot be made.
  bool Link(const std::string& link, const std::string& target) {
    links_.push_back(link);
    const std::string unixTarget = UnixName(target);
    if (!unixTarget.empty())
      return RunUnix(L"/bin/ln", {"-s", unixTarget, UnixName(link)}, link, true);
    return CreateSymbolicLinkW(Long(link).c_str(), Long(target).c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged */) != 0;
  }

  std::string root_;
  Win32FileSystem fs_;
  std::vector<std::string> links_;
};

}  // namespace qc::win
