// Silent runs as deployment systems start them: a file held open goes at the next
// restart together with its folder, the log and the status key record the run, a start
// while another clean-up runs ends at once with 1618, and a lock name taken to block it
// does not.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <optional>
#include <string>
#include <vector>

#include "app/OneRunLock.h"
#include "platform/win32/InstanceLock_win32.h"
#include "platform/win32/Owners.h"
#include "tests/e2e/CleanerTest.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "tests/e2e/driver/SeedExpectation.h"

namespace qc::e2e {
namespace {

using Lines = std::vector<std::wstring>;

constexpr DWORD kTimeout = 60000;
const std::wstring kFolder = L"C:\\Kelvora Quenzor 5.9";
const std::wstring kHeld = kFolder + L"\\bin\\held.dll";

// The status the last run of an administrator or the system account left, in the
// registry view both builds of the program share.
std::optional<DWORD> StatusExitCode() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenzorCleaner", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD code = 0, type = 0, bytes = sizeof code;
  const LONG read =
      RegQueryValueExW(key, L"ExitCode", nullptr, &type, reinterpret_cast<BYTE*>(&code), &bytes);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return code;
}

class DeploymentTest : public CleanerTest {
 protected:
  DeploymentTest() : CleanerTest(kTimeout) {}
  void SetUp() override {
    DeleteFileW(TempLog().c_str());
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenzorCleaner", KEY_WOW64_64KEY, 0);
  }
  void TearDown() override {
    cleaner_.Kill();
    DeleteTree(kFolder);
  }
};

TEST_F(DeploymentTest, AFileHeldOpenGoesAtRestartWithItsFolderAndTheLogHoldsTheRun) {
  ASSERT_TRUE(MakeFolders(kFolder + L"\\bin"));
  ASSERT_TRUE(WriteTextFile(kHeld, "in use") && WriteTextFile(kFolder + L"\\readme.txt", "x"));
  // Open without delete sharing, as a running program holds its module.
  win::UniqueHandle held(CreateFileW(kHeld.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  Start({.arguments = L"/s"});
  AnswerBox(kSilentDone, L"&Yes");
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(MainWindow()); }, kTimeout));
  const Lines lines = ListLines();
  EXPECT_EQ(lines, (Lines{L"Information: No Quenzor or Internet Explorer Processes Running",
                          L"File Deleted at Restart: " + kHeld,
                          L"Folder Deleted at Restart: " + kFolder}));
  ASSERT_TRUE(PressButton(MainWindow(), L"E&xit"));
  ExpectExit(3010);
  EXPECT_EQ(ListNames(kFolder), Lines{L"bin"}) << "only the held file stays until the restart";

  // The log as the viewer reads it, each line under its stage; the status in the registry.
  const std::vector<LogLine> log = ReadTempLog();
  ASSERT_NO_FATAL_FAILURE(ExpectRunLog(log, lines, 3010));
  EXPECT_NE(log.front().text.find(L"; silent mode; Windows "), std::wstring::npos);
  EXPECT_EQ(log.front().thread, std::to_wstring(pid()));
  const Lines components{L"run", L"processes", L"folders", L"folders", L"run", L"run"};
  for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].component, components[i]);
  EXPECT_EQ(log[4].text,
            L"Summary: 0 removed, 2 at restart, 0 not removed, 0 errors; exit code 3010 "
            L"(restart needed)");
  EXPECT_EQ(StatusExitCode(), 3010u) << "Wine runs every program as an administrator";

  held.reset();
  auto restart = Process::Start(L"C:\\windows\\system32\\wineboot.exe", {.arguments = L"-r"});
  ASSERT_TRUE(restart && restart->WaitForExit(kTimeout)) << "wineboot -r did not finish";
  EXPECT_EQ(GetFileAttributesW(kFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "gone at restart";
}

TEST_F(DeploymentTest, AnotherCleanUpKeepsASilentStartOutALockNameTakenToBlockItDoesNot) {
  {
    // The other run: this process, as the same account, holds the lock as a run takes it.
    win::Win32InstanceLock other;
    ASSERT_EQ(other.Open().object, LockObject::Created);
    ASSERT_EQ(other.Acquire(), LockOutcome::Acquired);
    Start({.arguments = L"/s"});
    const auto code = cleaner_.WaitForExit(20000);
    ASSERT_TRUE(code) << "the second start did not end at once";
    EXPECT_EQ(*code, 1618u);
    const std::vector<LogLine> log = ReadTempLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].text.ends_with(L"; exit code 1618")) << Utf8(log[0].text);
    EXPECT_EQ(log[0].type, L"2");
    EXPECT_EQ(StatusExitCode(), std::nullopt) << "a start that did nothing leaves no status";
  }
  // A mutex of the lock's name that admits only a stranger, as any user can make one:
  // the cleaner, an administrator under Wine, is refused and runs without the lock.
  DeleteFileW(TempLog().c_str());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;GA;;;S-1-5-21-9-9-9-1234)", SDDL_REVISION_1, &descriptor, nullptr));
  const win::UniqueLocal held(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  const win::UniqueHandle blocker(CreateMutexW(&attributes, FALSE, win::kInstanceLockName));
  ASSERT_TRUE(blocker && GetLastError() != ERROR_ALREADY_EXISTS);
  Start({.arguments = L"/s"});
  AnswerBox(kSilentDone, L"&No");
  ExpectExit(0);
  const std::vector<LogLine> log = ReadTempLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1].text, win::ToW(kLockNotOursNote));
  EXPECT_EQ(log.back().text, L"Finished; exit code 0");
}

}  // namespace
}  // namespace qc::e2e
