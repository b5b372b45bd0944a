// Registry key deletion and the clean-up list, against the in-memory registry: what is
// deleted and in which order, which line is written, and that every handle is closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/AsciiCase.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeResults.h"
#include "fakes/FakeSystem.h"
#include "registry/RegistryCleaner.h"
#include "registry/RegistryKeys.h"

namespace qc::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr RegKey kHklm = kHkeyLocalMachine;
constexpr RegKey kHkcr = kHkeyClassesRoot;

void ExpectAllHandlesClosed(const FakeRegistry& reg) {
  EXPECT_EQ(reg.OpenHandles(), 0u);
  EXPECT_EQ(reg.badCloses, 0);
}

TEST(DeleteRegistryKey, RemovesDeepTreePostOrderInEnumerationOrder) {
  FakeRegistry reg;
  for (const char* path :
       {"SOFTWARE\\QcApp\\x\\x1", "SOFTWARE\\QcApp\\x\\x2", "SOFTWARE\\QcApp\\y\\y1\\y1a",
        "SOFTWARE\\QcApp\\z", "SOFTWARE\\QcAppSibling\\keep"}) {
    reg.AddKey(kHklm, path);
  }
  RecordingSink list;
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\QcApp");

  EXPECT_THAT(list.lines, ElementsAre("Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"));
  EXPECT_THAT(reg.Paths("delete"),
              ElementsAre("HKLM\\SOFTWARE\\QcApp\\x\\x1", "HKLM\\SOFTWARE\\QcApp\\x\\x2",
                          "HKLM\\SOFTWARE\\QcApp\\x", "HKLM\\SOFTWARE\\QcApp\\y\\y1\\y1a",
                          "HKLM\\SOFTWARE\\QcApp\\y\\y1", "HKLM\\SOFTWARE\\QcApp\\y",
                          "HKLM\\SOFTWARE\\QcApp\\z", "HKLM\\SOFTWARE\\QcApp"));
  EXPECT_FALSE(reg.Exists(kHklm, "SOFTWARE\\QcApp"));
  EXPECT_TRUE(reg.Exists(kHklm, "SOFTWARE\\QcAppSibling\\keep"));
  // Each key is opened as itself (a link would not be followed) below its parent's
  // handle, with full access, and deleted through its own handle.
  for (const FakeRegistry::Call& call : reg.log) {
    if (call.op == "open") {
      EXPECT_EQ(call.onHive, call.path == "HKLM\\SOFTWARE\\QcApp") << call.path;
      EXPECT_EQ(call.access, kKeyAllAccess) << call.path;
      EXPECT_EQ(call.options, kRegOptionOpenLink) << call.path;
    }
    if (call.op == "delete") {
      EXPECT_FALSE(call.onHive) << call.path;
    }
  }
  EXPECT_EQ(reg.maxOpenHandles, 4u);  // QcApp, y, y1, y1a: one per level of the descent
  ExpectAllHandlesClosed(reg);
}

TEST(DeleteRegistryKey, CollectsEveryNameOfALevelBeforeDeletingAny) {
  FakeRegistry reg;
  for (const char* name : {"a", "b", "c"}) reg.AddKey(kHklm, std::string("SOFTWARE\\Q\\") + name);
  RecordingSink list;
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\Q");

  std::vector<std::string> calls;
  for (const FakeRegistry::Call& call : reg.log) {
    if (call.path == "HKLM\\SOFTWARE\\Q" && call.op == "enum") {
      calls.push_back("enum " + std::to_string(call.index) + "=" + std::to_string(call.status));
    }
    if (call.op == "delete") calls.push_back("delete " + call.path);
  }
  EXPECT_THAT(calls, ElementsAre("enum 0=0", "enum 1=0", "enum 2=0", "enum 3=259",
                                 "delete HKLM\\SOFTWARE\\Q\\a", "delete HKLM\\SOFTWARE\\Q\\b",
                                 "delete HKLM\\SOFTWARE\\Q\\c", "delete HKLM\\SOFTWARE\\Q"));
  ExpectAllHandlesClosed(reg);
}

struct OutcomeCase {
  const char* name;
  std::function<void(FakeRegistry&)> seed;
  RegKey hive;
  std::string path;
  std::vector<std::string> lines;
  std::vector<std::string> deletions;  // every deletion call, whatever its status
  bool keyRemains;
};

class DeleteRegistryKeyOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(DeleteRegistryKeyOutcome, WritesTheRightLineAndClosesEverything) {
  const OutcomeCase& c = GetParam();
  FakeRegistry reg(false);
  reg.AddKey(kHklm, "SOFTWARE\\Other");
  c.seed(reg);
  RecordingSink list;
  DeleteRegistryKey(reg, list, c.hive, c.path);

  EXPECT_THAT(list.lines, ElementsAreArray(c.lines));
  EXPECT_THAT(reg.Paths("delete"), ElementsAreArray(c.deletions));
  std::string bare = c.path;
  if (!bare.empty() && bare.back() == '\\') bare.pop_back();
  if (!bare.empty()) {
    EXPECT_EQ(reg.Exists(c.hive, bare), c.keyRemains);
  }
  EXPECT_TRUE(reg.Exists(kHklm, "SOFTWARE\\Other"));
  for (const FakeRegistry::Call& call : reg.log) {
    EXPECT_FALSE(call.path.ends_with("\\")) << call.op << " " << call.path;
  }
  ExpectAllHandlesClosed(reg);
}

const std::string k255(255, 'n');

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteRegistryKeyOutcome,
    ::testing::Values(
        OutcomeCase{"TrailingBackslashKeptInLineOnly",
                    [](FakeRegistry& r) { r.AddKey(kHklm, "SOFTWARE\\QcApp\\sub"); },
                    kHklm,
                    "SOFTWARE\\QcApp\\",
                    {"Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp\\"},
                    {"HKLM\\SOFTWARE\\QcApp\\sub", "HKLM\\SOFTWARE\\QcApp"},
                    false},
        OutcomeCase{"KeyUnderTheHive",
                    [](FakeRegistry& r) { r.AddKey(kHkcr, "Kelvora.Test\\CLSID"); },
                    kHkcr,
                    "Kelvora.Test",
                    {"Registry Key Deleted: HKEY_CLASSES_ROOT\\Kelvora.Test"},
                    {"HKCR\\Kelvora.Test\\CLSID", "HKCR\\Kelvora.Test"},
                    false},
        OutcomeCase{"MissingKey", [](FakeRegistry&) {}, kHklm, "SOFTWARE\\Missing", {}, {}, false},
        OutcomeCase{"MissingParentMakesNoDeletionCall",
                    [](FakeRegistry&) {},
                    kHklm,
                    "SOFTWARE\\NoParent\\Key",
                    {},
                    {},
                    false},
        OutcomeCase{"LowerCasePathFindsUpperCaseKey",
                    [](FakeRegistry& r) { r.AddKey(kHklm, "SOFTWARE\\QCAPP\\SUB"); },
                    kHklm,
                    "software\\qcapp",
                    {"Registry Key Deleted: HKEY_LOCAL_MACHINE\\software\\qcapp"},
                    {"HKLM\\software\\qcapp\\SUB", "HKLM\\software\\qcapp"},
                    false},
        OutcomeCase{"LongestSubkeyName",
                    [](FakeRegistry& r) { r.AddKey(kHklm, "SOFTWARE\\QcApp\\" + k255); },
                    kHklm,
                    "SOFTWARE\\QcApp",
                    {"Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"},
                    {"HKLM\\SOFTWARE\\QcApp\\" + k255, "HKLM\\SOFTWARE\\QcApp"},
                    false},
        OutcomeCase{"UndeletableSubkeyKeepsKeyButSiblingsGo",
                    [](FakeRegistry& r) {
                      r.AddKey(kHklm, "SOFTWARE\\QcApp\\a");
                      r.AddKey(kHklm, "SOFTWARE\\QcApp\\b");
                      r.AddKey(kHklm, "SOFTWARE\\QcApp\\c");
                      r.DenyDelete(kHklm, "SOFTWARE\\QcApp\\b");
                    },
                    kHklm,
                    "SOFTWARE\\QcApp",
                    {"Registry Key Not Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"},
                    {"HKLM\\SOFTWARE\\QcApp\\a", "HKLM\\SOFTWARE\\QcApp\\b",
                     "HKLM\\SOFTWARE\\QcApp\\c", "HKLM\\SOFTWARE\\QcApp"},
                    true},
        OutcomeCase{"KeyRefusingDeletion",
                    [](FakeRegistry& r) {
                      r.AddKey(kHkcr, "Kelvora.Locked");
                      r.DenyDelete(kHkcr, "Kelvora.Locked");
                    },
                    kHkcr,
                    "Kelvora.Locked",
                    {"Registry Key Not Deleted: HKEY_CLASSES_ROOT\\Kelvora.Locked"},
                    {"HKCR\\Kelvora.Locked"},
                    true},
        OutcomeCase{"ParentNotWritableDoesNotMatter",
                    [](FakeRegistry& r) {
                      r.AddKey(kHklm, "SOFTWARE\\Locked\\QcApp\\sub");
                      r.DenyWrite(kHklm, "SOFTWARE\\Locked");
                    },
                    kHklm,
                    "SOFTWARE\\Locked\\QcApp",
                    {"Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked\\QcApp"},
                    {"HKLM\\SOFTWARE\\Locked\\QcApp\\sub", "HKLM\\SOFTWARE\\Locked\\QcApp"},
                    false},
        OutcomeCase{"KeyThatCannotEvenBeRead",
                    [](FakeRegistry& r) {
                      r.AddKey(kHklm, "SOFTWARE\\QcApp");
                      r.DenyOpen(kHklm, "SOFTWARE\\QcApp");
                      r.DenyDelete(kHklm, "SOFTWARE\\QcApp");
                    },
                    kHklm,
                    "SOFTWARE\\QcApp",
                    {"Registry Key Not Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"},
                    {},
                    true},
        OutcomeCase{"KeyInADamagedHiveIsNotTakenForGone",
                    [](FakeRegistry& r) {
                      r.AddKey(kHklm, "SOFTWARE\\QcApp");
                      r.FailOpen(kHklm, "SOFTWARE\\QcApp", 1009);  // ERROR_BADDB
                    },
                    kHklm,
                    "SOFTWARE\\QcApp",
                    {"Registry Key Not Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"},
                    {},
                    true},
        OutcomeCase{"LinkGoesAsTheLinkWhatItLeadsToStays",
                    [](FakeRegistry& r) {
                      r.AddKey(kHklm, "SOFTWARE\\Other\\keep");
                      r.AddLink(kHklm, "SOFTWARE\\QcApp\\link", kHklm, "SOFTWARE\\Other");
                    },
                    kHklm,
                    "SOFTWARE\\QcApp",
                    {"Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"},
                    {"HKLM\\SOFTWARE\\QcApp\\link", "HKLM\\SOFTWARE\\QcApp"},
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeleteRegistryKey, RefusesAPathThatNamesTheHive) {
  for (const char* path : {"", "\\"}) {
    FakeRegistry reg;
    reg.AddKey(kHklm, "SOFTWARE\\Keep");
    const std::size_t callsBefore = reg.log.size();
    RecordingSink list;
    DeleteRegistryKey(reg, list, kHklm, path);
    EXPECT_THAT(list.lines, IsEmpty()) << '"' << path << '"';
    EXPECT_EQ(reg.log.size(), callsBefore) << '"' << path << '"';
    EXPECT_TRUE(reg.Exists(kHklm, "SOFTWARE\\Keep"));
  }
}

TEST(DeleteRegistryKey, SecondDeletionOfTheSameKeyWritesNothing) {
  FakeRegistry reg;
  reg.AddKey(kHklm, "SOFTWARE\\QcApp\\sub");
  RecordingSink list;
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\QcApp");
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\QCAPP");
  EXPECT_THAT(list.lines, ElementsAre("Registry Key Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"));
  EXPECT_THAT(reg.Paths("delete", true),
              ElementsAre("HKLM\\SOFTWARE\\QcApp\\sub", "HKLM\\SOFTWARE\\QcApp"));
  ExpectAllHandlesClosed(reg);
}

TEST(DeleteRegistryKey, EnumerationFailingHalfWayDeletesOnlyTheNamesCollected) {
  FakeRegistry reg;
  for (const char* name : {"a", "b", "c", "d"}) {
    reg.AddKey(kHklm, std::string("SOFTWARE\\QcApp\\") + name);
  }
  reg.FailEnumAt(kHklm, "SOFTWARE\\QcApp", 2, kErrorAccessDenied);
  RecordingSink list;
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\QcApp");

  EXPECT_THAT(reg.Paths("delete", true),
              ElementsAre("HKLM\\SOFTWARE\\QcApp\\a", "HKLM\\SOFTWARE\\QcApp\\b"));
  EXPECT_THAT(reg.KeysBelow(kHklm, "SOFTWARE\\QcApp"),
              ElementsAre("HKLM\\SOFTWARE\\QcApp\\c", "HKLM\\SOFTWARE\\QcApp\\d"));
  EXPECT_THAT(list.lines,
              ElementsAre("Registry Key Not Deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\QcApp"));
  // The failed call ends the collection: no index beyond it is asked for.
  for (const FakeRegistry::Call& call : reg.log) {
    if (call.op == "enum") {
      EXPECT_LE(call.index, 2u);
    }
  }
  ExpectAllHandlesClosed(reg);
}

TEST(DeleteRegistryKey, MissingKeyIsOnlyProbedReadOnly) {
  FakeRegistry reg;
  reg.AddKey(kHklm, "SOFTWARE");
  RecordingSink list;
  DeleteRegistryKey(reg, list, kHklm, "SOFTWARE\\Missing");
  std::vector<std::pair<std::string, std::uint32_t>> opens;
  for (const FakeRegistry::Call& call : reg.log) {
    if (call.op == "open") opens.emplace_back(call.path, call.access);
  }
  EXPECT_THAT(
      opens,
      ElementsAre(std::pair<std::string, std::uint32_t>{"HKLM\\SOFTWARE\\Missing", kKeyAllAccess},
                  std::pair<std::string, std::uint32_t>{"HKLM\\SOFTWARE\\Missing", kKeyRead}));
  EXPECT_THAT(list.lines, IsEmpty());
  ExpectAllHandlesClosed(reg);
}

// The clean-up list, with the letter case that must show in the lines.
const char* const kMachineKeys[] = {
    "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
    "SOFTWARE\\Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}",
    "SOFTWARE\\Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}",
    "SOFTWARE\\Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}",
    "SOFTWARE\\Classes\\AppID\\DiVudava.exe",
    "SOFTWARE\\Classes\\AppID\\RiViruzaravo.exe",
    "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
    "{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
};
const char* const kClassesRootKeys[] = {
    "Kelvora.DownloadBroker", "Kelvora.DownloadBroker.1", "Kelvora.DownloadBroker.2",
    "Kelvora.Downloader",     "Kelvora.Downloader.1",     "Kelvora.Downloader.2",
};
const char* const kPerUserKeys[] = {
    "CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
    "TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}",
};

std::string Machine(const char* path) {
  return std::string("Registry Key Deleted: HKEY_LOCAL_MACHINE\\") + path;
}
std::string Classes(const char* path) {
  return std::string("Registry Key Deleted: HKEY_CLASSES_ROOT\\") + path;
}

// Every listed key with a nested subtree, stored in upper case where the case matters.
void SeedProduct(FakeRegistry& reg, bool perUserClasses) {
  for (const char* path : kMachineKeys) {
    reg.AddKey(kHklm, ToUpperAscii(path) + "\\InprocServer32\\Deep");
    reg.AddKey(kHklm, std::string(path) + "\\Second");
  }
  for (const char* path : kClassesRootKeys) reg.AddKey(kHkcr, std::string(path) + "\\CLSID");
  if (perUserClasses) {
    for (const char* path : kPerUserKeys) reg.AddKey(kHkcr, std::string(path) + "\\1.0");
  }
  reg.AddKey(kHkcr, "Kelvora.DownloadBroker.3");
  reg.AddKey(kHklm, "SOFTWARE\\Classes\\AppID\\DiVudava.exe.old");
}

std::vector<std::string> ExpectedLines(bool perUserClasses) {
  std::vector<std::string> lines;
  for (const char* path : kMachineKeys) lines.push_back(Machine(path));
  if (perUserClasses) lines.push_back(Classes(kPerUserKeys[0]));
  for (const char* path : kClassesRootKeys) lines.push_back(Classes(path));
  if (perUserClasses) lines.push_back(Classes(kPerUserKeys[1]));
  return lines;
}

TEST(CleanRegistry, DeletesEveryListedKeyInListOrder) {
  for (const bool perUserClasses : {false, true}) {
    FakeRegistry reg(!perUserClasses);
    SeedProduct(reg, perUserClasses);
    RecordingSink list;
    CleanRegistry(reg, list);

    EXPECT_THAT(list.lines, ElementsAreArray(ExpectedLines(perUserClasses)));
    for (const RegistryLocation& entry : kRegistryCleanupList) {
      EXPECT_FALSE(reg.Exists(entry.hive, entry.keyPath)) << entry.keyPath;
    }
    EXPECT_TRUE(reg.Exists(kHkcr, "Kelvora.DownloadBroker.3"));
    EXPECT_TRUE(reg.Exists(kHklm, "SOFTWARE\\Classes\\AppID\\DiVudava.exe.old"));
    ExpectAllHandlesClosed(reg);
  }
}

TEST(CleanRegistry, NothingPresentWritesNothing) {
  FakeRegistry reg;
  RecordingSink list;
  CleanRegistry(reg, list);
  EXPECT_THAT(list.lines, IsEmpty());
  EXPECT_THAT(reg.Paths("delete", true), IsEmpty());
  ExpectAllHandlesClosed(reg);
}

TEST(CleanRegistry, UndeletableKeyIsReportedAndTheWalkGoesOn) {
  FakeRegistry reg;
  reg.AddKey(kHklm, kMachineKeys[3]);
  reg.AddKey(kHklm, "SOFTWARE\\Classes\\AppID\\DIVUDAVA.EXE");
  reg.AddKey(kHkcr, "Kelvora.Downloader.2");
  reg.DenyDelete(kHklm, kMachineKeys[3]);
  RecordingSink list;
  CleanRegistry(reg, list);
  EXPECT_THAT(
      list.lines,
      ElementsAre(std::string("Registry Key Not Deleted: HKEY_LOCAL_MACHINE\\") + kMachineKeys[3],
                  Machine("SOFTWARE\\Classes\\AppID\\DiVudava.exe"),
                  Classes("Kelvora.Downloader.2")));
  ExpectAllHandlesClosed(reg);
}

TEST(CleanRegistry, EachKeyIsThenDeletedInTheOtherViewWithItsName) {
  for (const bool program64 : {false, true}) {
    FakeRegistry own, other;
    own.AddKey(kHklm, std::string(kMachineKeys[0]) + "\\InprocServer32");
    own.AddKey(kHkcr, kClassesRootKeys[0]);
    other.AddKey(kHklm, std::string(kMachineKeys[0]) + "\\InprocServer32");
    other.AddKey(kHklm, kMachineKeys[6]);
    other.AddKey(kHkcr, kClassesRootKeys[5]);
    other.AddKey(kHkcr, "Kelvora.Downloader.3");
    RecordingSink list;
    CleanRegistry(own, list, &other, program64);
    const std::string view = program64 ? " (32-bit view)" : " (64-bit view)";
    EXPECT_THAT(list.lines,
                ElementsAre(Machine(kMachineKeys[0]), Machine(kMachineKeys[0]) + view,
                            Machine(kMachineKeys[6]) + view, Classes(kClassesRootKeys[0]),
                            Classes(kClassesRootKeys[5]) + view));
    EXPECT_TRUE(other.Exists(kHkcr, "Kelvora.Downloader.3"));
    ExpectAllHandlesClosed(other);
  }
}

TEST(DeleteRegistryKey, UnderClassesRootEveryCopyOfTheNameGoesBeforeItIsReportedDeleted) {
  const std::string name = "Kelvora.Downloader";
  const std::string user = "Software\\Classes\\" + name, machine = "SOFTWARE\\Classes\\" + name;
  const struct {
    const char* what;
    bool user, machine;
    RegKey denied;  // the copy that cannot be deleted, or 0
    int comesBack;  // how often something writes the machine's copy back
    long attempts;  // deletions of the name: three rounds at most
    bool gone;
  } cases[] = {
      {"both copies", true, true, 0, 0, 2, true},
      {"the user's only", true, false, 0, 0, 1, true},
      {"the machine's only", false, true, 0, 0, 1, true},
      {"the machine's stays behind the user's", true, true, kHklm, 0, 3, false},
      {"the user's stays, and hides the machine's", true, true, kHkeyCurrentUser, 0, 1, false},
      {"written back twice", false, true, 0, 2, 3, true},
      {"written back again and again", false, true, 0, 5, 3, false},
  };
  for (const auto& c : cases) {
    FakeRegistry reg(FakeRegistry::ClassesRoot::Merged);
    if (c.user) reg.AddKey(kHkeyCurrentUser, user + "\\CLSID");
    if (c.machine) reg.AddKey(kHklm, machine + "\\CLSID");
    if (c.denied) reg.DenyDelete(c.denied, c.denied == kHklm ? machine : user);
    if (c.comesBack) reg.ComesBack(kHklm, machine, c.comesBack);
    RecordingSink list;
    DeleteRegistryKey(reg, list, kHkcr, name);
    EXPECT_THAT(list.lines, ElementsAre(std::string(c.gone ? "Registry Key Deleted: "
                                                           : "Registry Key Not Deleted: ") +
                                        "HKEY_CLASSES_ROOT\\" + name))
        << c.what;
    const auto deletions = reg.Paths("delete");
    EXPECT_EQ(std::count(deletions.begin(), deletions.end(), "HKCR\\" + name), c.attempts)
        << c.what;
    EXPECT_EQ(reg.Exists(kHklm, machine), c.machine && !c.gone) << c.what;
    EXPECT_EQ(reg.Exists(kHkeyCurrentUser, user), c.denied == kHkeyCurrentUser) << c.what;
    ExpectAllHandlesClosed(reg);
  }
}

// Each user's own copies of the class entries, in list order and in both registry views: the
// current user's in a user's run; in a run over every profile, a signed-in user's loaded classes, a
// signed-out user's hive file (where that Windows version keeps it) loaded and unloaded again, and
// a line for each profile or hive that could not be reached.
TEST(CleanUserRegistrations, EachUsersCopiesInListOrderNamedWhereTheUserHasThem) {
  const std::string clsid = "CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
                    d = "Registry Key Deleted: ";
  const std::pair<OsVersionInfo, std::string> versions[] = {
      {{6, 1, 7601, kVerPlatformWin32Nt}, "\\AppData\\Local"},
      {{5, 1, 2600, kVerPlatformWin32Nt}, "\\Local Settings\\Application Data"}};
  for (const auto& [version, folder] : versions) {
    FakeRegistry reg;
    FakeUserHives hives(reg);
    FakeOsVersion os;
    os.version = version;
    for (const std::string& key :
         std::vector<std::string>{clsid, "AppID\\DiVudava.EXE", "Kelvora.Downloader\\CurVer",
                                  "Kelvora.DownloaderHelper"}) {
      reg.AddKey(kHkeyCurrentUser, "Software\\Classes\\" + key);
    }
    reg.AddKey(kHkeyUsers, "S-ann_Classes\\Kelvora.Downloader.1");
    const std::string hive = folder + "\\Microsoft\\Windows\\UsrClass.dat";
    hives.files["C:\\Users\\bob" + hive] = {clsid + "\\InprocServer32", "Kelvora.Downloader.3"};
    hives.failures["C:\\Users\\dan" + hive] = 32;  // in use
    // The other registry view holds a copy of its own of each kind of user.
    FakeRegistry other;
    other.AddKey(kHkeyCurrentUser, "Software\\Classes\\Kelvora.Downloader.2");
    other.AddKey(kHkeyUsers, "S-ann_Classes\\" + clsid);
    FakeFileSystem fs;
    // carl's hive is gone by the time it is loaded: as if he had never signed in.
    for (const char* user : {"bob", "carl", "dan"})
      fs.AddFile("C:\\Users\\" + std::string(user) + hive);
    UserScope user;
    RecordingSink userLines;
    CleanUserRegistrations(reg, user, hives, fs, os, userLines, &other);
    const std::string hkcu = d + "HKEY_CURRENT_USER\\Software\\Classes\\";
    EXPECT_THAT(userLines.lines,
                ElementsAre(hkcu + clsid, hkcu + "AppID\\DiVudava.exe", hkcu + "Kelvora.Downloader",
                            hkcu + "Kelvora.Downloader.2 (64-bit view)"));

    UserScope every;
    every.everyProfile = true;
    for (const std::string name : {"ann", "bob", "carl", "dan", "eve"}) {
      every.accounts.push_back({"S-" + name, "C:\\Users\\" + name, name != "eve"});
    }
    RecordingSink lines;
    CleanUserRegistrations(reg, every, hives, fs, os, lines, &other);
    EXPECT_THAT(lines.lines,
                ElementsAre("Error: The user profile C:\\Users\\eve could not be cleaned",
                            d + "HKEY_USERS\\S-ann_Classes\\" + clsid + " (64-bit view)",
                            d + "HKEY_USERS\\S-ann_Classes\\Kelvora.Downloader.1",
                            d + "HKEY_USERS\\S-bob_Classes\\" + clsid,
                            "Error: The registrations of the user profile C:\\Users\\dan could "
                            "not be loaded"));
    EXPECT_THAT(lines.outcomes, ElementsAre(Outcome::Failure, Outcome::Success, Outcome::Success,
                                            Outcome::Success, Outcome::Failure));
    EXPECT_THAT(hives.loaded, IsEmpty());
    EXPECT_THAT(hives.left["QuenzorCleaner S-bob_Classes"],
                ElementsAre("HKU\\QuenzorCleaner S-bob_Classes\\CLSID",
                            "HKU\\QuenzorCleaner S-bob_Classes\\Kelvora.Downloader.3"));
    EXPECT_TRUE(reg.Exists(kHkeyCurrentUser, "Software\\Classes\\Kelvora.DownloaderHelper"));
    // A failure that ends the run inside a loaded hive unloads it all the same.
    hives.onCall = [&] { reg.throwOnOpen = hives.calls.back().starts_with("load"); };
    EXPECT_THROW(CleanUserRegistrations(reg, every, hives, fs, os, lines), std::bad_alloc);
    EXPECT_THAT(hives.loaded, IsEmpty());
    ExpectAllHandlesClosed(reg);
    ExpectAllHandlesClosed(other);
  }
}

}  // namespace
}  // namespace qc::test
