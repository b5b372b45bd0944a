// Folder and file deletion and the fixed clean-up list: lines and their order, paths
// as passed, truthful Not lines, and the rules for an unusable profile folder.
#include "files/FileCleaner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/FolderPath.h"
#include "fakes/FakeResults.h"
#include "fakes/FakeServices.h"
#include "fakes/WatchedFolder.h"
#include "files/FolderWalk.h"
#include "paths/OpenPath.h"

namespace qc::test {
namespace {

using ::testing::_;
using ::testing::ByMove;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;

class MockFileSystem : public IFileSystem {
 public:
  MOCK_METHOD(std::optional<std::vector<DirEntry>>, List, (const std::string&, std::uint32_t),
              (override));
  MOCK_METHOD(Attributes, GetAttributes, (const std::string&), (override));
  MOCK_METHOD(OpenedItem, OpenBase, (const std::string&), (override));
  MOCK_METHOD(OpenedItem, HoldBase, (const std::string&), (override));
};

class MockItem : public IFileItem {
 public:
  MOCK_METHOD(std::uint32_t, Attributes, (), (const, override));
  MOCK_METHOD(std::uint32_t, ReparseTag, (), (const, override));
  MOCK_METHOD(std::uint32_t, LinkCount, (), (const, override));
  MOCK_METHOD(std::optional<std::vector<DirEntry>>, List, (), (override));
  MOCK_METHOD(OpenedItem, OpenChild, (const std::string&), (override));
  MOCK_METHOD(OpenedItem, HoldChild, (const std::string&), (override));
  MOCK_METHOD(std::unique_ptr<IByteStream>, Read, (), (override));
  MOCK_METHOD(Status, SetAttributes, (std::uint32_t), (override));
  MOCK_METHOD(Status, MarkForDeletion, (const DeletionKey&, bool), (override));
  MOCK_METHOD(bool, ChildGone, (const std::string&), (override));
  MOCK_METHOD(std::optional<LinkData>, LinkTarget, (), (override));
};

using Item = StrictMock<MockItem>;

OpenedItem Hand(std::unique_ptr<Item>& item) { return {Status::Success(), std::move(item)}; }

class MockEnvironment : public IEnvironment {
 public:
  MOCK_METHOD(std::optional<std::string>, Get, (const std::string&), (override));
};

const std::vector<std::string> kFixedFolders = {
    "C:\\Kelvora Quenzor 5.1",
    "C:\\Kelvora Quenzor 5.5",
    "C:\\Kelvora Quenzor 5.6",
    "C:\\Kelvora Quenzor 5.9",
    "C:\\Kelvora Quenzor 6.1",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.1",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.5",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.6",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.9",
    "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 6.1",
};
const std::vector<std::string> kSuffixes = {"\\Norvane", "\\Application Data\\Norvane",
                                            "\\Local Settings\\Application Data\\Norvane"};
const std::vector<std::string> kFiles = {
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.exe",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.dll",
    "C:\\Windows\\Downloaded Program Files\\RiViruzaravo.inf",
    "C:\\Windows\\Downloaded Program Files\\DuZide.exe",
    "C:\\Windows\\Downloaded Program Files\\DiVudava.exe",
};
const char* kErrorLine =
    "Error: The user profile folder is unknown; the per-user folders were not cleaned";

// Every item of the list, each with content: read-only and hidden files, sub-folders.
void AddEverything(FakeFileSystem& fs, const std::string& profile) {
  for (const auto& folder : kFixedFolders) {
    fs.AddFile(folder + "\\bin\\agent.exe", "x", kAttrReadOnly);
    fs.AddFile(folder + "\\readme.txt", "x", kAttrHidden);
  }
  for (const auto& suffix : kSuffixes) fs.AddFile(profile + suffix + "\\cache\\c.dat");
  for (const auto& file : kFiles) fs.AddFile(file, "x");
}

std::vector<std::string> AllLines(const std::string& profile) {
  std::vector<std::string> lines;
  for (const auto& f : kFixedFolders) lines.push_back("Folder Deleted: " + f);
  for (const auto& s : kSuffixes) lines.push_back("Folder Deleted: " + profile + s);
  for (const auto& f : kFiles) lines.push_back("File Deleted: " + f);
  return lines;
}

// The line says what is left, whatever the deletion said: an item that another program
// deleted first and still holds open is gone, one whose deletion was taken back or whose
// name is there but will not open is not. A component file is never forced.
TEST(KillFileAndFolder, LineAndResultFollowWhatIsLeft) {
  using Node = FakeFileSystem::Node;
  const struct {
    const char* what;
    bool folder;
    void (*make)(Node&);
    bool gone, result;
  } cases[] = {
      {"deleted", true, [](Node&) {}, true, true},
      {"deleted", false, [](Node&) {}, true, true},
      {"a read-only folder", true, [](Node& n) { n.attributes |= kAttrReadOnly; }, true, true},
      {"deleted first elsewhere", true, [](Node& n) { n.pending = true; }, true, false},
      {"deleted first elsewhere", false, [](Node& n) { n.pending = true; }, true, false},
      {"deletion taken back", true, [](Node& n) { n.deletionUndone = true; }, false, false},
      {"deletion taken back", false, [](Node& n) { n.deletionUndone = true; }, false, false},
      {"will not open", true, [](Node& n) { n.refuseOpen = Status::Fail(StatusCode::Denied); },
       false, false},
      {"in use", false, [](Node& n) { n.refuseOpen = Status::Fail(StatusCode::InUse); }, false,
       false},
      {"in use", true, [](Node& n) { n.locked = true; }, false, false},
      {"denied", false, [](Node& n) { n.denied = true; }, false, false},
      {"read-only", false, [](Node& n) { n.attributes |= kAttrReadOnly; }, false, false},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    RecordingSink list;
    const std::string path = c.folder ? "C:\\D\\P" : "C:\\D\\a.exe";
    fs.AddFile(c.folder ? path + "\\x.dat" : path);
    c.make(*fs.Find(path));
    const bool result =
        c.folder ? KillFolder(fs, list, path, noRestart) : KillFile(fs, list, path, noRestart);
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(list.lines,
              std::vector<std::string>{(c.folder ? "Folder " : "File ") +
                                       std::string(c.gone ? "" : "Not ") + "Deleted: " + path})
        << c.what;
  }
}

// A deletion inside the tree that reported success but left its item proves nothing: the
// folder is not left to the next restart as if only a file in use kept it.
TEST(KillFolder, AnItemLeftDespiteItsDeletionKeepsTheFolderFromTheRestart) {
  FakeFileSystem fs;
  FakeRestartRemoval restart;
  RecordingSink list;
  fs.AddFile("C:\\P\\held.dll");
  fs.Find("C:\\P\\held.dll")->locked = true;
  fs.AddFile("C:\\P\\back.txt");
  fs.Find("C:\\P\\back.txt")->deletionUndone = true;
  EXPECT_FALSE(KillFolder(fs, list, "C:\\P", restart));
  EXPECT_EQ(list.lines, std::vector<std::string>{"Folder Not Deleted: C:\\P"});
  EXPECT_TRUE(restart.scheduled.empty());
}

// Only Windows' own profile links are followed, and only where they lead inside the same
// profile: never into another whose name begins with this one's.
TEST(OpenPath, FollowsOnlyWindowsOwnProfileLinksIntoTheSameProfile) {
  const std::string p = "C:\\Users\\Ann";
  // clang-format off
  const char* const links[] = {"Application Data", "Cookies", "Local Settings", "My Documents",
      "NetHood", "PrintHood", "Recent", "SendTo", "Start Menu", "Templates",
      "Local Settings\\Application Data", "Local Settings\\History",
      "Local Settings\\Temporary Internet Files", "My Documents\\My Music",
      "My Documents\\My Pictures", "My Documents\\My Videos", "Documents\\My Music",
      "Documents\\My Pictures", "Documents\\My Videos", "AppData\\Local\\Application Data",
      "AppData\\Local\\History", "AppData\\Local\\Temporary Internet Files", "Desktop"};
  // clang-format on
  for (const std::string link : links) {
    for (const std::string& target : {p + "\\Real", p + "2\\Real"}) {
      FakeFileSystem fs;
      fs.AddFile(target + "\\Norvane\\x.dat");
      fs.AddProfileLink(p + "\\" + link, target);
      const bool follows = link != "Desktop" && target.starts_with(p + "\\");
      EXPECT_EQ(OpenPath(fs, p + "\\" + link + "\\Norvane", p, false).state,
                follows ? PathState::Opened : PathState::LinkElsewhere)
          << link << " to " << target;
      EXPECT_EQ(OpenPath(fs, target + "\\Norvane", p, false).state, PathState::Opened) << target;
    }
  }
}

TEST(KillFolder, DropsOneTrailingBackslashOnly) {
  const struct {
    const char* given;
    const char* used;  // nullptr: nothing is asked of the file system
  } cases[] = {
      {"C:\\Kelvora Quenzor 5.1\\", "C:\\Kelvora Quenzor 5.1"},
      {"C:\\Kelvora Quenzor 5.1\\\\", "C:\\Kelvora Quenzor 5.1\\"},
      {"c:\\kelvora QUENZOR 5.1", "c:\\kelvora QUENZOR 5.1"},
      {"C:\\", nullptr},  // a drive's root is never deleted
      {"\\", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    RecordingSink list;
    fs.AddFolder("C:\\Kelvora Quenzor 5.1");
    EXPECT_EQ(KillFolder(fs, list, c.given, noRestart), c.used != nullptr) << c.given;
    const auto expected = c.used
                              ? std::vector<std::string>{std::string("Folder Deleted: ") + c.used}
                              : std::vector<std::string>{};
    EXPECT_EQ(list.lines, expected) << c.given;
  }
}

TEST(KillFileAndFolder, AbsentItemGivesNoLineAndNoDeletion) {
  FakeFileSystem fs;
  RecordingSink list;
  fs.AddFile("C:\\Q\\f.exe");
  EXPECT_FALSE(KillFolder(fs, list, "C:\\P\\", noRestart));
  EXPECT_FALSE(KillFile(fs, list, "C:\\Q\\f.exe\\", noRestart));  // a file path keeps its backslash
  EXPECT_TRUE(fs.Exists("C:\\Q\\f.exe"));
  EXPECT_FALSE(KillFile(fs, list, "", noRestart));
  EXPECT_TRUE(list.lines.empty());
}

TEST(CleanFiles, ReadsTheProfileFirstThenTestsTheEntriesInOrder) {
  StrictMock<MockFileSystem> fs;
  StrictMock<MockEnvironment> env;
  RecordingSink list;
  InSequence order;
  EXPECT_CALL(env, Get("USERPROFILE")).WillOnce(Return("C:\\Users\\me\\"));
  EXPECT_CALL(env, Get(::testing::StartsWith("Program"))).Times(3).WillRepeatedly(Return("C:\\x"));
  // Each entry is looked up from its base, its first name missing.
  const auto absent = [&fs](const std::string& base, const std::string& name) {
    auto root = std::make_unique<Item>();
    Item& folder = *root;
    EXPECT_CALL(fs, OpenBase(base)).WillOnce([r = std::move(root)]() mutable { return Hand(r); });
    EXPECT_CALL(folder, OpenChild(name))
        .WillOnce(Return(ByMove(OpenedItem{Status::Fail(StatusCode::NotFound, 2), nullptr})));
  };
  for (const auto& f : kFixedFolders) absent("C:\\", f.substr(3, f.find('\\', 3) - 3));
  for (int v = 0; v < 5; ++v) absent("C:\\", "x");
  // Taken apart once: the value's trailing backslash does not double the suffix's.
  for (const auto& s : kSuffixes) {
    absent("C:\\Users\\me", s.substr(1, s.find('\\', 1) - 1));
    // No folder of the list's name on the way: then where Vista and later keep it.
    if (s != kSuffixes[0]) absent("C:\\Users\\me", "AppData");
  }
  for (std::size_t f = 0; f < kFiles.size(); ++f) absent("C:\\", "Windows");
  FakeOsVersion os;
  CleanFiles(fs, env, os, list);
  EXPECT_TRUE(list.lines.empty());
}

TEST(CleanFiles, EverythingPresentIsRemovedWithOneLineEachInOrder) {
  const std::string profile = "C:\\Users\\Zo\xC3\xAB \xC5\x9C";  // "Zoë Ŝ"
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  RecordingSink list;
  env.vars["USERPROFILE"] = profile;
  AddEverything(fs, profile);
  fs.AddFile("C:\\Program Files\\Norvane Software\\Other\\keep.txt");
  fs.AddFile("C:\\Windows\\Downloaded Program Files\\Other.dll");
  fs.AddFile(profile + "\\Application Data\\Other\\keep.txt");

  CleanFiles(fs, env, os, list);

  EXPECT_EQ(list.lines, AllLines(profile));
  EXPECT_EQ(env.reads["USERPROFILE"], 1);
  for (const auto& f : kFixedFolders) EXPECT_TRUE(fs.Tree(f).empty()) << f;
  for (const auto& s : kSuffixes) EXPECT_TRUE(fs.Tree(profile + s).empty()) << s;
  for (const auto& f : kFiles) EXPECT_FALSE(fs.Exists(f)) << f;
  EXPECT_TRUE(fs.Exists("C:\\Program Files\\Norvane Software\\Other\\keep.txt"));
  EXPECT_TRUE(fs.Exists("C:\\Windows\\Downloaded Program Files\\Other.dll"));
  EXPECT_TRUE(fs.Exists(profile + "\\Application Data\\Other\\keep.txt"));

  // A second run finds nothing: no line, no change.
  const auto changes = fs.log.size();
  CleanFiles(fs, env, os, list);
  EXPECT_EQ(list.lines.size(), 18u);
  EXPECT_EQ(fs.log.size(), changes);
}

TEST(CleanFiles, NothingPresentWritesNothingAndChangesNothing) {
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  RecordingSink list;
  env.vars["USERPROFILE"] = "C:\\Users\\me";
  fs.AddFile("C:\\Users\\me\\ntuser.dat");
  fs.AddFile("C:\\Windows\\Downloaded Program Files\\desktop.ini");
  fs.log.clear();
  CleanFiles(fs, env, os, list);
  EXPECT_TRUE(list.lines.empty());
  EXPECT_TRUE(fs.log.empty());
}

TEST(CleanFiles, WhatCannotGoIsReportedAsNotDeletedAndTheRestStillGoes) {
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  RecordingSink list;
  env.vars["USERPROFILE"] = "C:\\Users\\me";
  AddEverything(fs, "C:\\Users\\me");
  const std::string locked = "C:\\Kelvora Quenzor 5.5\\bin\\agent.log";
  fs.AddFile(locked);
  fs.Find(locked)->locked = true;
  fs.Find(kFiles[3])->attributes |= kAttrReadOnly;
  // A folder on the way that is there but refuses to open is never passed over silently.
  fs.Find("C:\\Program Files\\Norvane Software")->refuseOpen = Status::Fail(StatusCode::Denied, 5);

  CleanFiles(fs, env, os, list);

  auto expected = AllLines("C:\\Users\\me");
  expected[1] = "Folder Not Deleted: C:\\Kelvora Quenzor 5.5";
  for (std::size_t i = 5; i < 10; ++i) {
    expected[i] = "Error: A folder on the way to " + kFixedFolders[i] +
                  " could not be opened; it was not cleaned";
  }
  expected[16] = "File Not Deleted: " + kFiles[3];
  EXPECT_EQ(list.lines, expected);
  EXPECT_EQ(fs.Tree("C:\\Kelvora Quenzor 5.5"),
            (std::vector<std::string>{"C:\\Kelvora Quenzor 5.5", "C:\\Kelvora Quenzor 5.5\\bin",
                                      locked}));
  EXPECT_TRUE(fs.Exists(kFiles[3]));
  EXPECT_FALSE(fs.Exists(kFiles[4]));
}

TEST(CleanFiles, LinksInsideATreeAreRemovedNotFollowed) {
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  RecordingSink list;
  env.vars["USERPROFILE"] = "C:\\Users\\me";
  fs.AddFile("C:\\Kelvora Quenzor 6.1\\agent.exe");
  fs.AddFile("D:\\Keep\\precious.doc");
  fs.AddLink("C:\\Kelvora Quenzor 6.1\\Shared", "D:\\Keep");
  // A cloud placeholder is the folder itself, no link: walked and deleted as a folder.
  fs.AddReparsePoint("C:\\Kelvora Quenzor 6.1\\Synced", 0x9000101A, true);
  fs.AddFile("C:\\Kelvora Quenzor 6.1\\Synced\\cache.dat");
  // The listed per-user folder is reached through the profile's own link.
  fs.AddFile("C:\\Users\\me\\AppData\\Roaming\\Norvane\\c.dat");
  fs.AddLink("C:\\Users\\me\\Application Data", "C:\\Users\\me\\AppData\\Roaming");

  CleanFiles(fs, env, os, list);

  EXPECT_EQ(list.lines,
            (std::vector<std::string>{"Folder Deleted: C:\\Kelvora Quenzor 6.1",
                                      "Folder Deleted: C:\\Users\\me\\Application Data\\Norvane"}));
  EXPECT_TRUE(fs.Exists("D:\\Keep\\precious.doc"));
  EXPECT_FALSE(fs.Exists("C:\\Users\\me\\AppData\\Roaming\\Norvane"));
  EXPECT_TRUE(fs.Exists("C:\\Users\\me\\AppData\\Roaming"));
}

// On Vista and later the data folders are reached through Windows' own profile links,
// which refuse everything but reading their target, or, where the profile's links have
// other names (a Czech profile has "Data aplikací"), where Windows keeps them. XP has the
// folders of the list's names only.
TEST(CleanFiles, ProfileDataIsFoundThroughWindowsLinksOrWhereWindowsKeepsIt) {
  const std::string p = "C:\\Users\\Eva", roaming = p + "\\AppData\\Roaming";
  const std::string local = p + "\\AppData\\Local", czech = "Data aplikac\xC3\xAD";
  const OsVersionInfo win7{6, 1, 7601, kVerPlatformWin32Nt}, xp{5, 1, 2600, kVerPlatformWin32Nt};
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // name in the profile, target
    OsVersionInfo version;
    std::vector<std::string> lines;
  } cases[] = {
      {"English names",
       {{"Application Data", roaming},
        {"Local Settings", local},
        {"AppData\\Local\\Application Data", local}},
       win7,
       {"Folder Deleted: " + p + "\\Application Data\\Norvane",
        "Folder Deleted: " + p + "\\Local Settings\\Application Data\\Norvane"}},
      {"Czech names",
       {{czech, roaming}, {"Local Settings", local}, {"AppData\\Local\\" + czech, local}},
       win7,
       {"Folder Deleted: " + roaming + "\\Norvane", "Folder Deleted: " + local + "\\Norvane"}},
      {"XP", {}, xp, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    FakeEnvironment env;
    FakeOsVersion os;
    RecordingSink list;
    env.vars["USERPROFILE"] = p;
    os.version = c.version;
    for (const std::string& data : {roaming, local}) fs.AddFile(data + "\\Norvane\\x.dat");
    for (const auto& [name, target] : c.links) fs.AddProfileLink(p + "\\" + name, target);
    CleanFiles(fs, env, os, list);
    EXPECT_EQ(list.lines, c.lines);
    for (const auto& [name, target] : c.links) EXPECT_TRUE(fs.Exists(p + "\\" + name)) << name;
  }
}

// An open item stays the item it was opened as: a folder renamed and replaced by a link
// once the walk has listed it leads the walk nowhere else.
TEST(RemoveTree, FolderSwappedForALinkAfterItsListingLeadsNowhereElse) {
  FakeFileSystem fs;
  const std::string product = "C:\\Kelvora Quenzor 6.1";
  fs.AddFile(product + "\\data\\a.dat");
  fs.AddFile("C:\\Target\\a.dat");
  OpenedItem folder = fs.OpenBase(product);
  ASSERT_NE(folder.item, nullptr);
  auto watched = std::make_unique<WatchedFolder>(
      std::move(folder.item), product, [&](const std::string& listed) {
        if (listed != product + "\\data") return;
        ASSERT_TRUE(fs.Rename(listed, product + "\\moved"));
        fs.AddLink(listed, "C:\\Target");
      });
  const TreeDeletion deletion = RemoveTree(std::move(watched), product);
  EXPECT_TRUE(fs.Exists("C:\\Target\\a.dat"));
  EXPECT_FALSE(fs.Exists(product + "\\moved"));
  EXPECT_FALSE(deletion.ok());  // the link stays in the folder
}

TEST(CleanFiles, UnusableProfileSkipsOnlyThePerUserEntries) {
  // The full set of shapes is in the ProfileFolder table; these cover each way out.
  const std::optional<std::string> values[] = {std::nullopt, "", "\\Users\\me", "Users\\me",
                                               "\\\\server"};
  for (const auto& value : values) {
    const std::string shown = value.value_or("<unset>");
    FakeFileSystem fs;
    FakeEnvironment env;
    FakeOsVersion os;
    RecordingSink list;
    if (value) env.vars["USERPROFILE"] = *value;
    AddEverything(fs, value.value_or(""));
    AddEverything(fs, "");  // what "<empty>\Norvane" would name: the current drive's root
    CleanFiles(fs, env, os, list);

    auto expected = AllLines("");
    expected.erase(expected.begin() + 10, expected.begin() + 13);
    expected.insert(expected.begin() + 10, kErrorLine);
    EXPECT_EQ(list.lines, expected) << shown;
    for (const auto& s : kSuffixes) {
      EXPECT_TRUE(fs.Exists(value.value_or("") + s)) << shown << s;
      EXPECT_TRUE(fs.Exists(s)) << shown << s;
    }
  }
}

TEST(CleanFiles, OtherProgramFilesFoldersComeAfterTheTenthEntryFolderByFolder) {
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  RecordingSink list;
  env.vars = {{"USERPROFILE", "C:\\Users\\me"},
              {"ProgramFiles", "D:\\Apps\\"},
              {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
              {"ProgramW6432", "c:\\program files"}};
  const std::vector<std::string> folders = {
      kFixedFolders[9], "D:\\Apps\\Norvane Software\\Kelvora Quenzor 5.9",
      "C:\\Program Files (x86)\\Norvane Software\\Kelvora Quenzor 5.1",
      "C:\\Program Files (x86)\\Norvane Software\\Kelvora Quenzor 6.1", "C:\\Users\\me\\Norvane"};
  for (const auto& f : folders) fs.AddFile(f + "\\x.dat");
  fs.AddFile("C:\\Program Files (x86)\\Norvane Software\\Other\\keep.txt");
  CleanFiles(fs, env, os, list);
  std::vector<std::string> want;
  for (const auto& f : folders) want.push_back("Folder Deleted: " + f);
  EXPECT_EQ(list.lines, want);
  EXPECT_TRUE(fs.Exists("C:\\Program Files (x86)\\Norvane Software\\Other\\keep.txt"));
}

TEST(NormaliseFolder, GivesOneSpellingOfEveryAbsoluteFolderAndRefusesTheRest) {
  const std::pair<const char*, const char*> usable[] = {
      {"C:\\Users\\me", "C:\\Users\\me"},
      {"C:\\Users\\me\\", "C:\\Users\\me"},
      {"C:/Users/me", "C:\\Users\\me"},
      {"c:\\\\Users//me\\/", "c:\\Users\\me"},
      {"C:\\Users\\.\\x\\..\\me", "C:\\Users\\me"},
      {"z:\\", "z:"},
      {"\\\\srv\\share", "\\\\srv\\share"},
      {"//srv/s/me/", "\\\\srv\\s\\me"},
      {"C:\\Users\\me.\\ x ", "C:\\Users\\me.\\ x "},  // names stay as written
  };
  for (const auto& [value, folder] : usable) {
    EXPECT_EQ(NormaliseFolder(value), std::optional<std::string>(folder)) << value;
  }
  for (const char* value : {"", "\\", "\\Users", "Users", "C:", "C:Users", "C:\\..", "\\\\",
                            "\\\\srv", "\\\\srv\\", "\\\\srv\\s\\..\\..", "\\\\?\\C:\\Users",
                            "\\\\.\\C:\\Users", "1:\\x", " C:\\Users", "\xC3\x84:\\x"}) {
    EXPECT_EQ(NormaliseFolder(value), std::nullopt) << value;
  }
}

}  // namespace
}  // namespace qc::test
