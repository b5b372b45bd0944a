// A whole silent run on a PC as most carry the client today: a 32-bit installation under
// Program Files (x86) with its keys in the 32-bit registry view, a key in the 64-bit view,
// and a Desktop moved into a synced folder, each with decoys that must stay. On 32-bit
// Windows the same seed shows that nothing is added: there is no Program Files (x86) to
// search and one registry view.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/CleanerTest.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "tests/e2e/driver/SeedExpectation.h"
#include "tests/e2e/driver/TestedWindows.h"

namespace qc::e2e {
namespace {

constexpr DWORD kTimeout = 60000;
constexpr wchar_t kX86[] = L"C:\\Program Files (x86)";
constexpr wchar_t kVendor[] = L"C:\\Program Files (x86)\\Norvane Software";
constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct Key {
  REGSAM view;
  const wchar_t* path;  // under HKEY_LOCAL_MACHINE
  bool decoy;
};
// In the order of the clean-up list; the decoys are named like the keys around them.
const Key kKeys[] = {
    {KEY_WOW64_32KEY, L"SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}", false},
    {KEY_WOW64_32KEY, L"SOFTWARE\\Classes\\AppID\\DiVudava.exe", false},
    {KEY_WOW64_64KEY,
     L"SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
     L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
     false},
    {KEY_WOW64_32KEY, L"SOFTWARE\\Classes\\AppID\\DiVudava.exe.old", true},
    {KEY_WOW64_64KEY,
     L"SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
     L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F39}",
     true},
};

bool KeyIn(REGSAM view, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Profile() {
  wchar_t buffer[MAX_PATH]{};
  GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
  return buffer;
}

// The user's Desktop moved into a synced folder, as a known-folder move leaves it; the
// shell-folder value as it was comes back at the end.
class MovedDesktop {
 public:
  explicit MovedDesktop(const std::wstring& folder) {
    had_ = RegGetValueW(HKEY_CURRENT_USER, kShellFoldersKey, L"Desktop", RRF_RT_ANY | RRF_NOEXPAND,
                        &type_, old_, &size_) == ERROR_SUCCESS;
    const std::wstring value = L"%USERPROFILE%\\OneDrive\\Desktop";
    set_ = MakeFolders(folder) &&
           RegSetKeyValueW(HKEY_CURRENT_USER, kShellFoldersKey, L"Desktop", REG_EXPAND_SZ,
                           value.c_str(), DWORD((value.size() + 1) * 2)) == ERROR_SUCCESS;
  }
  ~MovedDesktop() {
    if (had_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kShellFoldersKey, L"Desktop", type_, old_, size_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFoldersKey, L"Desktop");
    }
  }
  bool set() const { return set_; }

 private:
  BYTE old_[2 * MAX_PATH * sizeof(wchar_t)]{};
  DWORD type_ = 0, size_ = sizeof(old_);
  bool had_ = false, set_ = false;
};

class TodaysPcTest : public CleanerTest {
 protected:
  TodaysPcTest() : CleanerTest(kTimeout) {}
  void TearDown() override {
    cleaner_.Kill();
    for (const Key& k : kKeys) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, k.path, k.view, 0);
    DeleteTree(kVendor);
    DeleteTree(Profile() + L"\\OneDrive");
  }
};

TEST_F(TodaysPcTest, SilentRunFindsTheInstallationTheOtherViewAndTheMovedDesktop) {
  const std::wstring install = std::wstring(kVendor) + L"\\Kelvora Quenzor 5.9";
  const std::wstring moved = Profile() + L"\\OneDrive\\Desktop";
  const std::wstring link = moved + L"\\Remote Support.lnk";
  const std::vector<std::wstring> decoyFiles = {
      std::wstring(kVendor) + L"\\Norvane Other Tool\\keep.txt",
      std::wstring(kVendor) + L"\\Kelvora Quenzor 5.8\\keep.txt",
      moved + L"\\Kelvora Quenzor Plexarium notes.txt", moved + L"\\Notes.lnk"};
  for (const Key& k : kKeys) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.path, 0, nullptr, 0, KEY_ALL_ACCESS | k.view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << Utf8(k.path);
    RegCloseKey(key);
  }
  ASSERT_TRUE(WriteTextFile(install + L"\\bin\\KVAGENT.EXE", "x") &&
              WriteTextFile(install + L"\\readme.txt", "x"));
  MovedDesktop desktop(moved);
  ASSERT_TRUE(desktop.set());
  ASSERT_TRUE(MakeShortcut(link, install + L"\\bin\\KVAGENT.EXE"));
  ASSERT_TRUE(MakeShortcut(decoyFiles[3], L"C:\\windows\\notepad.exe"));
  for (std::size_t i = 0; i < 3; ++i) ASSERT_TRUE(WriteTextFile(decoyFiles[i], "x"));

  // A key both views share gives one line; one the program's own view cannot see is
  // found in the other view and named after it.
  const TestedWindows& windows = WindowsUnderTest();
  Lines want = {kNoProcessesLine};
  for (const Key& k : kKeys) {
    if (k.decoy) continue;
    const std::wstring line = std::wstring(L"Registry Key Deleted: HKEY_LOCAL_MACHINE\\") + k.path;
    want.push_back(KeyIn(windows.ownView(), k.path) ? line : line + windows.otherViewSuffix());
  }
  const bool installGoes = windows.Reports(kX86);
  if (installGoes) want.push_back(L"Folder Deleted: " + install);
  want.push_back(L"File Deleted: " + link);

  Start({.arguments = L"/s"});
  ASSERT_NO_FATAL_FAILURE(AnswerBox(kSilentDone, L"&Yes"));
  ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(Button(L"&Clean PC")); }, kTimeout));
  EXPECT_EQ(ListLines(), want) << Utf8(windows.Describe());
  ASSERT_TRUE(PressButton(MainWindow(), L"E&xit"));
  ExpectExit(0);

  for (const Key& k : kKeys) {
    EXPECT_EQ(KeyIn(KEY_WOW64_32KEY, k.path) || KeyIn(KEY_WOW64_64KEY, k.path), k.decoy)
        << Utf8(k.path);
  }
  EXPECT_EQ(Exists(install), !installGoes);
  EXPECT_FALSE(Exists(link));
  EXPECT_TRUE(Exists(moved));
  for (const std::wstring& f : decoyFiles) EXPECT_TRUE(Exists(f)) << Utf8(f);
}

}  // namespace
}  // namespace qc::e2e
