// The adapters for the profile list, the shell's folders, the one-run lock, removal at
// restart and the other registry view, on the real system: what no fake can show.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/AsciiCase.h"
#include "platform/win32/InstanceLock_win32.h"
#include "platform/win32/Machine_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Profiles_win32.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/RestartRemoval_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

std::string Env(const char* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(ToW(name).c_str(), value, 1024);
  return ToUtf8(value);
}

// A value's text as stored, its terminating NUL dropped; empty when missing.
std::wstring ReadValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  DWORD bytes = 0;
  RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &bytes);
  std::wstring text(bytes / 2, L'\0');
  RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, text.data(), &bytes);
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

void WriteValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(root, key, name, REG_EXPAND_SZ, text.c_str(), DWORD(text.size() * 2 + 2));
}

TEST(ProfileListAdapter, ReadsEveryProfileWithItsExpandedFolder) {
  const std::wstring seeded =
      L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-9-9-9-4242";
  WriteValue(HKEY_LOCAL_MACHINE, seeded.c_str(), L"ProfileImagePath", L"%SystemDrive%\\Qc");
  const auto entries = Win32ProfileList().List();
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, seeded.c_str(), KEY_WOW64_64KEY, 0);
  ASSERT_TRUE(entries);
  const auto has = [&](const std::string& sid, const std::string& path) {
    return std::any_of(entries->begin(), entries->end(), [&](const ProfileEntry& e) {
      return e.sid == sid && ToUpperAscii(e.path) == ToUpperAscii(path);
    });
  };
  EXPECT_TRUE(has("S-1-5-21-0-0-0-1000", Env("USERPROFILE")));
  EXPECT_TRUE(has("S-1-5-21-9-9-9-4242", Env("SystemDrive") + "\\Qc"));
}

TEST(ShellFoldersAdapter, ReportsEachFolderAndFollowsAMovedDesktop) {
  Win32ShellFolders shell;
  const std::pair<ShellFolder, const char*> kinds[] = {
      {ShellFolder::Desktop, "\\DESKTOP"},
      {ShellFolder::StartMenu, "\\START MENU"},
      {ShellFolder::Startup, "\\STARTUP"},
      {ShellFolder::CommonDesktop, "\\DESKTOP"},
      {ShellFolder::CommonStartMenu, "\\START MENU"},
      {ShellFolder::CommonStartup, "\\STARTUP"}};
  for (const auto& [folder, ending] : kinds) {
    const std::string path = ToUpperAscii(shell.Path(folder).value_or(""));
    EXPECT_TRUE(path.ends_with(ending)) << path;
    const bool common = folder >= ShellFolder::CommonDesktop;
    EXPECT_EQ(path.starts_with(ToUpperAscii(Env("USERPROFILE"))), !common) << path;
  }
  const std::string moved = Env("USERPROFILE") + "\\OneDrive\\Desktop";
  CreateDirectoryW(ToW(Env("USERPROFILE") + "\\OneDrive").c_str(), nullptr);
  CreateDirectoryW(ToW(moved).c_str(), nullptr);
  const wchar_t* folders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::wstring before = ReadValue(HKEY_CURRENT_USER, folders, L"Desktop");
  WriteValue(HKEY_CURRENT_USER, folders, L"Desktop", L"%USERPROFILE%\\OneDrive\\Desktop");
  const auto reported = shell.Path(ShellFolder::Desktop);
  WriteValue(HKEY_CURRENT_USER, folders, L"Desktop", before);
  EXPECT_EQ(ToUpperAscii(reported.value_or("")), ToUpperAscii(moved));
  RemoveDirectoryW(ToW(moved).c_str());
  RemoveDirectoryW(ToW(Env("USERPROFILE") + "\\OneDrive").c_str());
}

struct AcquireJob {
  IInstanceLock* lock;
  LockOutcome outcome = LockOutcome::Failed;
};

DWORD WINAPI RunAcquireJob(void* p) {
  auto* job = static_cast<AcquireJob*>(p);
  job->outcome = job->lock->Acquire();
  return 0;
}

// A Win32 thread: the program's thread model has no std::thread.
LockOutcome AcquireOnAnotherThread(IInstanceLock& lock) {
  AcquireJob job{&lock};
  UniqueHandle thread(CreateThread(nullptr, 0, RunAcquireJob, &job, 0, nullptr));
  if (thread) WaitForSingleObject(thread.get(), INFINITE);
  return job.outcome;
}

TEST(InstanceLockAdapter, OneHolderAtATimeUntilReleasedAndACrashedHolderCountsAsGone) {
  {
    Win32InstanceLock first, second;
    ASSERT_EQ(first.Acquire(), LockOutcome::Acquired);
    EXPECT_EQ(AcquireOnAnotherThread(second), LockOutcome::HeldElsewhere);
    first.Release();
    EXPECT_EQ(AcquireOnAnotherThread(second), LockOutcome::Acquired);
  }
  Win32InstanceLock third, fourth;
  EXPECT_EQ(AcquireOnAnotherThread(third), LockOutcome::Acquired);  // its thread ends holding it
  EXPECT_EQ(fourth.Acquire(), LockOutcome::Acquired);
}

TEST(RestartRemovalAdapter, HeldFileAndItsFolderBecomePendingDeletions) {
  const std::string folder = Env("TEMP") + "\\QcRestart" + std::to_string(GetCurrentProcessId());
  const std::string file = folder + "\\held.dll";
  CreateDirectoryW(ToW(folder).c_str(), nullptr);
  UniqueHandle held(
      CreateFileW(ToW(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(held);
  Win32RestartRemoval removal;
  EXPECT_TRUE(removal.ScheduleDelete(file).ok());
  EXPECT_TRUE(removal.ScheduleDelete(folder).ok());
  EXPECT_EQ(removal.ScheduleDelete(folder + "\\missing").code, StatusCode::NotFound);
  // Each deletion: the item's NT path, then an empty new name.
  const std::wstring z(1, L'\0');
  // The entries stay: they name items gone by the end, in the test run's own prefix.
  const std::wstring pending =
      ReadValue(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                L"PendingFileRenameOperations");
  EXPECT_NE(pending.find(L"\\??\\" + ToW(file) + z + z + L"\\??\\" + ToW(folder) + z + z),
            std::wstring::npos);
  held.reset();
  DeleteFileW(ToW(file).c_str());
  RemoveDirectoryW(ToW(folder).c_str());
}

TEST(RegistryViewAdapter, OtherViewOpensAndDeletesItsOwnKey) {
  if (!Win32Machine().IsWindows64Bit()) GTEST_SKIP() << "one registry view on 32-bit Windows";
  const DWORD other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const std::string path = "SOFTWARE\\QcViewTest-" + std::to_string(GetCurrentProcessId());
  UniqueHKey seeded;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToW(path + "\\Sub").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | other, nullptr, seeded.put(), nullptr),
            ERROR_SUCCESS);
  seeded.reset();
  Win32Registry own, otherView(other);
  RegKey key = 0;
  EXPECT_EQ(own.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key), kErrorFileNotFound);
  ASSERT_EQ(otherView.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key), kErrorSuccess);
  otherView.CloseKey(key);
  for (const std::string& doomed : {path + "\\Sub", path}) {
    ASSERT_EQ(otherView.OpenKeyEx(kHkeyLocalMachine, doomed, 0, kKeyAllAccess, &key),
              kErrorSuccess);
    EXPECT_EQ(otherView.DeleteOpenKey(key), kErrorSuccess);
    otherView.CloseKey(key);
  }
  EXPECT_EQ(otherView.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key), kErrorFileNotFound);
}

}  // namespace
}  // namespace qc::win
