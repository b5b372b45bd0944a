// Silent runs as deployment systems start them: a file held open goes at the next
// restart together with its folder, the log records the run, a start while another
// clean-up runs ends at once with 1618, and a lock name taken to block it does not.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

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

std::wstring TempLog() {
  wchar_t temp[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  return std::wstring(temp) + L"\\QuenzorCleaner.log";
}

// The log's lines, each after the first without its time ("hh:mm:ss ").
Lines ReadLog() {
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  win::UniqueHandle file(CreateFileW(TempLog().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  if (file) ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
  Lines lines;
  for (std::size_t at = 0, end; (end = bytes.find("\r\n", at)) < read; at = end + 2) {
    const std::size_t time = lines.empty() ? 0 : 9;
    lines.push_back(win::ToW(bytes.substr(at + time, end - at - time)));
  }
  return lines;
}

class DeploymentTest : public CleanerTest {
 protected:
  DeploymentTest() : CleanerTest(kTimeout) {}
  void SetUp() override { DeleteFileW(TempLog().c_str()); }
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

  Lines log = ReadLog();
  ASSERT_EQ(log.size(), lines.size() + 2);
  EXPECT_NE(log.front().find(L"; silent mode; Windows "), std::wstring::npos) << Utf8(log[0]);
  EXPECT_EQ(log.back(), L"Finished; exit code 3010");
  EXPECT_EQ(Lines(log.begin() + 1, log.end() - 1), lines);

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
    const Lines log = ReadLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with(L"; exit code 1618")) << Utf8(log[0]);
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
  const Lines log = ReadLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], win::ToW(kLockNotOursNote));
  EXPECT_EQ(log.back(), L"Finished; exit code 0");
}

}  // namespace
}  // namespace qc::e2e
