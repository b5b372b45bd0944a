// The registry adapter and the registry stage on a real registry: a temporary subtree
// for the adapter, and the product's own locations seeded with decoys beside them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/FakeResults.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/UserHives_win32.h"
#include "platform/win32/Utf.h"
#include "registry/RegistryCleaner.h"
#include "registry/RegistryKeys.h"
#include "win32/NewerApi.h"

namespace qc::win {
namespace {

using Lines = test::RecordingSink;

bool CreateKey(const std::string& path) {
  UniqueHKey key;
  return RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToW(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                         nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
  UniqueHKey key;
  return RegOpenKeyExW(root, ToW(path).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void RemoveTree(const std::string& path) { RegDeleteTreeW(HKEY_LOCAL_MACHINE, ToW(path).c_str()); }

std::string TestRoot() { return "SOFTWARE\\QcTest-" + std::to_string(GetCurrentProcessId()); }

class RegistryAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = TestRoot();
    RemoveTree(root_);
    ASSERT_TRUE(CreateKey(root_));
  }
  void TearDown() override { RemoveTree(root_); }
  std::vector<std::string> Names(const std::string& path, std::uint32_t buffer = 256) {
    std::vector<std::string> names;
    RegKey key = 0;
    if (reg_.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key) != kErrorSuccess) return {};
    std::string name;
    for (std::uint32_t i = 0; reg_.EnumKey(key, i, &name, buffer) == kErrorSuccess; ++i) {
      names.push_back(name);
    }
    reg_.CloseKey(key);
    return names;
  }

  // Opens the key as itself and deletes it through that handle.
  long DeleteByName(RegKey parent, const std::string& name) {
    RegKey key = 0;
    const long opened = reg_.OpenKeyEx(parent, name, kRegOptionOpenLink, kKeyAllAccess, &key);
    if (opened != kErrorSuccess) return opened;
    const long deleted = reg_.DeleteOpenKey(key);
    reg_.CloseKey(key);
    return deleted;
  }

  Win32Registry reg_;
  std::string root_;
};

TEST_F(RegistryAdapter, StatusesOfOpenEnumDeleteAreThoseOfTheRegistryAndRootsStayOpen) {
  ASSERT_TRUE(CreateKey(root_ + "\\Parent\\Child"));
  RegKey key = 0;
  EXPECT_EQ(reg_.OpenKeyEx(kHkeyLocalMachine, root_ + "\\Missing", 0, kKeyAllAccess, &key),
            kErrorFileNotFound);
  ASSERT_EQ(reg_.OpenKeyEx(kHkeyLocalMachine, root_, 0, kKeyAllAccess, &key), kErrorSuccess);
  EXPECT_NE(key, kHkeyLocalMachine);
  std::string name;
  EXPECT_EQ(reg_.EnumKey(key, 0, &name, 256), kErrorSuccess);
  EXPECT_EQ(name, "Parent");
  EXPECT_EQ(reg_.EnumKey(key, 1, &name, 256), kErrorNoMoreItems);
  // A key that still has a subkey is not deleted; once empty it is. A hive never is.
  EXPECT_NE(DeleteByName(key, "Parent"), kErrorSuccess);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, root_ + "\\Parent\\Child"));
  EXPECT_EQ(DeleteByName(key, "Nowhere"), kErrorFileNotFound);
  EXPECT_EQ(reg_.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(DeleteByName(kHkeyLocalMachine, root_ + "\\Parent\\Child"), kErrorSuccess);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, root_ + "\\Parent\\Child"));
  EXPECT_NE(reg_.DeleteOpenKey(kHkeyLocalMachine), kErrorSuccess);
  // Predefined roots are never closed, and stay usable.
  EXPECT_EQ(reg_.CloseKey(kHkeyLocalMachine), kErrorSuccess);
  EXPECT_EQ(reg_.CloseKey(kHkeyClassesRoot), kErrorSuccess);
  ASSERT_EQ(reg_.OpenKeyEx(kHkeyLocalMachine, root_, 0, kKeyAllAccess, &key), kErrorSuccess);
  reg_.CloseKey(key);
  ASSERT_EQ(reg_.OpenKeyEx(kHkeyClassesRoot, "CLSID", 0, kKeyRead, &key), kErrorSuccess);
  reg_.CloseKey(key);
}

TEST_F(RegistryAdapter, NamesOutsideTheCodePageAndOfFullLengthRoundTrip) {
  const std::string wide = "Kl\xC3\xBC\xC3\x9F\x65l-\xE6\x97\xA5\xE6\x9C\xAC";  // "Klüßel-日本"
  const std::string longest(255, 'L');
  ASSERT_TRUE(CreateKey(root_ + "\\" + wide));
  ASSERT_TRUE(CreateKey(root_ + "\\" + longest));
  std::vector<std::string> names = Names(root_);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(std::find(names.begin(), names.end(), wide), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), longest), names.end());
  // The name and its terminator must fit the buffer.
  RegKey key = 0;
  ASSERT_EQ(reg_.OpenKeyEx(kHkeyLocalMachine, root_, 0, kKeyAllAccess, &key), kErrorSuccess);
  std::string name;
  const std::uint32_t longIndex = names[0] == longest ? 0 : 1;
  EXPECT_EQ(reg_.EnumKey(key, longIndex, &name, 255), kErrorMoreData);
  EXPECT_EQ(DeleteByName(key, wide), kErrorSuccess);
  EXPECT_EQ(DeleteByName(key, longest), kErrorSuccess);
  reg_.CloseKey(key);
  EXPECT_TRUE(Names(root_).empty());
}

TEST_F(RegistryAdapter, DeleteRegistryKeyRemovesARealSubtree) {
  const std::string app = root_ + "\\App";
  for (const char* sub : {"\\a\\a1\\a1x", "\\a\\a2", "\\b", "\\\xC3\xA9t\xC3\xA9"}) {
    ASSERT_TRUE(CreateKey(app + sub));
  }
  ASSERT_TRUE(CreateKey(root_ + "\\AppSibling\\keep"));
  Lines list;
  DeleteRegistryKey(reg_, list, kHkeyLocalMachine, app + "\\");
  DeleteRegistryKey(reg_, list, kHkeyLocalMachine, app);
  EXPECT_EQ(list.lines,
            std::vector<std::string>{"Registry Key Deleted: HKEY_LOCAL_MACHINE\\" + app + "\\"});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, app));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, root_ + "\\AppSibling\\keep"));
}

// A registry symbolic link, as another program may leave one among the product's keys.
bool CreateLink(const std::string& path, const std::string& target) {
  UniqueHKey link;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToW(path).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // A link names its target by the native path, which no registry view redirects: a
  // 32-bit program on 64-bit Windows has its SOFTWARE keys under Wow6432Node.
  BOOL wow64 = FALSE;
  std::string where = target;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 && where.starts_with("SOFTWARE\\")) {
    where.insert(9, "Wow6432Node\\");
  }
  const std::wstring to = L"\\Registry\\Machine\\" + ToW(where);  // no terminator
  return RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                        reinterpret_cast<const BYTE*>(to.data()),
                        DWORD(to.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

TEST_F(RegistryAdapter, LinksAreDeletedAsLinksAndWhatTheyNameStays) {
  const std::string precious = root_ + "\\Precious\\A";
  const std::string app = root_ + "\\App";
  const struct {
    const char* what;
    std::string link;     // created as a link to the precious key
    std::string deleted;  // passed to DeleteRegistryKey
  } cases[] = {
      {"a link inside the key", app + "\\sub\\Link", app},
      {"the key itself a link", app, app},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(CreateKey(precious + "\\Keep")) << c.what;
    if (c.link != app) {
      ASSERT_TRUE(CreateKey(app + "\\sub")) << c.what;
    }
    ASSERT_TRUE(CreateLink(c.link, precious)) << c.what;
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, c.link + "\\Keep")) << c.what << ": link not working";
    Lines list;
    DeleteRegistryKey(reg_, list, kHkeyLocalMachine, c.deleted);
    EXPECT_EQ(list.lines,
              std::vector<std::string>{"Registry Key Deleted: HKEY_LOCAL_MACHINE\\" + c.deleted})
        << c.what;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, app)) << c.what;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, precious + "\\Keep")) << c.what;
  }
}

class Vista final : public IOsVersion {
 public:
  std::optional<OsVersionInfo> QueryVersion() override {
    return OsVersionInfo{6, 1, 7601, kVerPlatformWin32Nt};
  }
};

bool EnableBackupPrivilege() {
  UniqueHandle token;
  TOKEN_PRIVILEGES wanted{1, {{{}, SE_PRIVILEGE_ENABLED}}};
  return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()) &&
         LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &wanted.Privileges[0].Luid) &&
         AdjustTokenPrivileges(token.get(), FALSE, &wanted, 0, nullptr, nullptr) &&
         GetLastError() == ERROR_SUCCESS;
}

// A signed-out user's classes hive, saved to a profile folder as Windows keeps it: the run
// loads it, deletes the product's copy inside, leaves the rest and unloads it again.
TEST_F(RegistryAdapter, SignedOutUsersClassesHiveIsLoadedCleanedAndUnloaded) {
  const std::filesystem::path profile = std::filesystem::temp_directory_path() /
                                        ("qc-profile-" + std::to_string(GetCurrentProcessId()));
  const std::wstring folder = profile.wstring() + L"\\AppData\\Local\\Microsoft\\Windows";
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  // The product's ProgID and a decoy; saving the hive needs the backup privilege enabled.
  ASSERT_TRUE(CreateKey(root_ + "\\Hive\\Kelvora.Downloader\\CurVer"));
  ASSERT_TRUE(CreateKey(root_ + "\\Hive\\Kelvora.DownloaderHelper"));
  UniqueHKey saved;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, ToW(root_ + "\\Hive").c_str(), 0, KEY_READ, saved.put()),
      ERROR_SUCCESS);
  ASSERT_TRUE(EnableBackupPrivilege());
  ASSERT_EQ(RegSaveKeyW(saved.get(), (folder + L"\\UsrClass.dat").c_str(), nullptr), ERROR_SUCCESS);
  const std::string sid = "S-1-5-21-7-7-7-" + std::to_string(GetCurrentProcessId());
  UserScope scope;
  scope.everyProfile = true;
  scope.accounts.push_back({sid, ToUtf8(profile.wstring())});
  Win32UserHives hives;
  Vista os;
  // Wine does not write a loaded hive back to its file, so the hive is looked at while
  // the line is written, before the unload.
  class WhileLoaded final : public IResultsSink {
   public:
    explicit WhileLoaded(std::string hive) : hive_(std::move(hive)) {}
    void Add(std::string_view line, Outcome) override {
      lines.push_back(
          std::string(line) +
          (KeyExists(HKEY_USERS, hive_ + "\\Kelvora.Downloader") ? " (still there)" : "") +
          (KeyExists(HKEY_USERS, hive_ + "\\Kelvora.DownloaderHelper") ? "" : " (helper gone)"));
    }
    std::vector<std::string> lines;

   private:
    std::string hive_;
  } list("QuenzorCleaner " + sid + "_Classes");
  Win32FileSystem fs;
  CleanUserRegistrations(reg_, scope, hives, fs, os, list);
  EXPECT_EQ(list.lines, std::vector<std::string>{"Registry Key Deleted: HKEY_USERS\\" + sid +
                                                 "_Classes\\Kelvora.Downloader"});
  EXPECT_FALSE(KeyExists(HKEY_USERS, "QuenzorCleaner " + sid + "_Classes")) << "still loaded";
  EXPECT_EQ(hives.LoadHive("QcTestHive", ToUtf8(folder) + "\\NoSuch.dat"), kErrorFileNotFound);
  std::filesystem::remove_all(profile);
}

// The product's registrations with a subtree each, upper-case where a differently
// cased entry must still find them, and decoys that merely look alike.
const char* const kSeeded[] = {
    "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}\\InprocServer32",
    "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}\\ProgID",
    "SOFTWARE\\Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}\\1.0\\0\\win32",
    "SOFTWARE\\Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}\\1.0\\FLAGS",
    "SOFTWARE\\Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}\\Sub",
    "SOFTWARE\\Classes\\AppID\\DIVUDAVA.EXE\\Sub",
    "SOFTWARE\\Classes\\AppID\\RiViruzaravo.exe",
    "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
    "{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}\\Contains\\Files",
    "SOFTWARE\\Classes\\Kelvora.DownloadBroker\\CLSID",
    "SOFTWARE\\Classes\\Kelvora.DownloadBroker.1\\CLSID",
    "SOFTWARE\\Classes\\Kelvora.DownloadBroker.2",
    "SOFTWARE\\Classes\\Kelvora.Downloader\\CurVer",
    "SOFTWARE\\Classes\\Kelvora.Downloader.1\\CLSID",
    "SOFTWARE\\Classes\\Kelvora.Downloader.2\\CLSID",
};
const char* const kDecoys[] = {
    "SOFTWARE\\Classes\\Kelvora.DownloadBroker.3\\CLSID",
    "SOFTWARE\\Classes\\AppID\\DiVudava.exe.old",
    "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F39}",
};
const char* const kDistributionUnits = "SOFTWARE\\Microsoft\\Code Store Database";

TEST(RegistryStage, RemovesTheSeededProductAndLeavesTheDecoys) {
  const bool hadCodeStore = KeyExists(HKEY_LOCAL_MACHINE, kDistributionUnits);
  for (const char* path : kSeeded) ASSERT_TRUE(CreateKey(path)) << path;
  for (const char* path : kDecoys) ASSERT_TRUE(CreateKey(path)) << path;

  Win32Registry reg;
  Lines list;
  CleanRegistry(reg, list);

  const std::string m = "Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\";
  const std::string c = "Registry Key Deleted: HKEY_CLASSES_ROOT\\";
  // Classes root shows the machine's classes here, so entries 10 and 17 find their keys
  // gone, and so do the upper-case twins of entries 5 and 7.
  EXPECT_EQ(list.lines, (std::vector<std::string>{
                            m + "Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
                            m + "Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}",
                            m + "Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}",
                            m + "Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}",
                            m + "Classes\\AppID\\DiVudava.exe",
                            m + "Classes\\AppID\\RiViruzaravo.exe",
                            m + "Microsoft\\Code Store Database\\Distribution Units\\"
                                "{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
                            c + "Kelvora.DownloadBroker",
                            c + "Kelvora.DownloadBroker.1",
                            c + "Kelvora.DownloadBroker.2",
                            c + "Kelvora.Downloader",
                            c + "Kelvora.Downloader.1",
                            c + "Kelvora.Downloader.2",
                        }));
  for (const RegistryLocation& entry : kRegistryCleanupList) {
    const HKEY root = entry.hive == kHkeyLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
    EXPECT_FALSE(KeyExists(root, entry.keyPath)) << entry.keyPath;
  }
  for (const char* path : kDecoys) {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, path)) << path;
    RemoveTree(path);
  }
  // The decoy ProgID's own key was created on the way to its CLSID subkey.
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Kelvora.DownloadBroker.3");
  if (!hadCodeStore) {
    RemoveTree(kDistributionUnits);
  }

  // A second run finds nothing left to report.
  Lines again;
  CleanRegistry(reg, again);
  EXPECT_TRUE(again.lines.empty());
}

}  // namespace
}  // namespace qc::win
