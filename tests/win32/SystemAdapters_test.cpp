// The adapters for the profile list, the shell's folders, the one-run lock and the
// security of paths on the real system: what no fake can show and no whole run under Wine
// reaches (the system account's folders, a crashed holder of the lock). Removal at
// restart, the other registry view and a moved Desktop are shown by the whole-run
// scenarios.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/AsciiCase.h"
#include "platform/win32/InstanceLock_win32.h"
#include "platform/win32/Machine_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Profiles_win32.h"
#include "platform/win32/Security_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

std::string Env(const char* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(ToW(name).c_str(), value, 1024);
  return ToUtf8(value);
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

TEST(ShellFoldersAdapter, ReportsEachFolderOfTheAccountAndOfAllUsers) {
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
}

// What the guard of removal at restart reads. Under Wine every item is owned by the
// running user, with SYSTEM and that user in full control.
TEST(PathSecurityAdapter, ReportsTheOwnerAndDaclOfAFolder) {
  const std::string folder = Env("TEMP") + "\\qc-security-" + std::to_string(GetTickCount());
  ASSERT_TRUE(CreateDirectoryW(ToW(folder).c_str(), nullptr));
  const ItemSecurity item = Win32PathSecurity().Read(folder);
  EXPECT_TRUE(item.status.ok() && !item.link && !item.nullDacl);
  EXPECT_EQ(item.ownerSid, ProcessUserSid());
  EXPECT_TRUE(std::any_of(item.dacl.begin(), item.dacl.end(), [](const AccessEntry& e) {
    return e.allow && e.sid == "S-1-5-18" && (e.mask & 0x10000) != 0;  // DELETE
  }));
  RemoveDirectoryW(ToW(folder).c_str());
  // A drive's root, which the guard reads first.
  const ItemSecurity root = Win32PathSecurity().Read(Env("SystemDrive") + "\\");
  EXPECT_TRUE(root.status.ok() && !root.link && !root.ownerSid.empty()) << root.status.call;
}

// Whom the lock's DACL lets in with every right to a mutex.
std::set<std::string> AdmittedToTheLock() {
  std::set<std::string> admitted;
  UniqueHandle mutex(OpenMutexW(READ_CONTROL, FALSE, kInstanceLockName));
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!mutex || GetSecurityInfo(mutex.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return admitted;
  }
  const UniqueLocal held(descriptor);
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    const auto* allowed = GetAce(dacl, i, &ace) ? static_cast<ACCESS_ALLOWED_ACE*>(ace) : nullptr;
    if (allowed != nullptr && allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        ((allowed->Mask & GENERIC_ALL) != 0 ||
         (allowed->Mask & MUTEX_ALL_ACCESS) == MUTEX_ALL_ACCESS)) {
      admitted.insert(SidText(const_cast<DWORD*>(&allowed->SidStart)));
    }
  }
  return admitted;
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

TEST(MachineAdapter, The64BitProgramFilesFolderIsTheOneProgramW6432Names) {
  // Set, as on Windows 7 and later, on 64-bit Windows only.
  const std::string variable = Env("ProgramW6432");
  EXPECT_EQ(Win32Machine().ProgramFiles64(),
            variable.empty() ? std::nullopt : std::optional<std::string>(variable));
}

TEST(InstanceLockAdapter, OneHolderAtATimeUntilReleasedAndACrashedHolderCountsAsGone) {
  {
    Win32InstanceLock first, second;
    ASSERT_EQ(first.Open().object, LockObject::Created);
    ASSERT_EQ(first.Acquire(), LockOutcome::Acquired);
    // A run as either of them judges a lock that keeps it out as not made by this program.
    const std::set<std::string> admitted = AdmittedToTheLock();
    EXPECT_TRUE(admitted.count("S-1-5-18") && admitted.count("S-1-5-32-544"));
    // Made by this account: owned by it, or by Administrators where it is one.
    const LockFacts found = second.Open();
    EXPECT_EQ(found.object, LockObject::Existed);
    EXPECT_TRUE(found.ownerSid == ProcessUserSid() || found.ownerSid == "S-1-5-32-544")
        << found.ownerSid;
    EXPECT_EQ(AcquireOnAnotherThread(second), LockOutcome::HeldElsewhere);
    first.Release();
    EXPECT_EQ(AcquireOnAnotherThread(second), LockOutcome::Acquired);
  }
  {
    Win32InstanceLock third, fourth;
    EXPECT_EQ(AcquireOnAnotherThread(third), LockOutcome::Acquired);  // its thread ends holding it
    EXPECT_EQ(fourth.Acquire(), LockOutcome::Acquired);
  }
  {
    // The name taken by an object of another kind.
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, kInstanceLockName));
    ASSERT_TRUE(event);
    Win32InstanceLock fifth;
    EXPECT_EQ(fifth.Open().object, LockObject::NotAMutex);
    EXPECT_EQ(fifth.Acquire(), LockOutcome::Failed);
  }
  // A mutex of the name that admits only a stranger, as any user can make one.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;GA;;;S-1-5-21-9-9-9-1234)", SDDL_REVISION_1, &descriptor, nullptr));
  const UniqueLocal held(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  const UniqueHandle blocker(CreateMutexW(&attributes, FALSE, kInstanceLockName));
  ASSERT_TRUE(blocker);
  EXPECT_EQ(Win32InstanceLock().Open().object, LockObject::Denied);
}

}  // namespace
}  // namespace qc::win
