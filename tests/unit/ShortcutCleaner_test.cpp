// The shortcut scan on the in-memory file system: which entries are selected, the order
// and wording of the lines, failures, links, the scan folders and the profile check.
#include "files/ShortcutCleaner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/FakeResults.h"
#include "fakes/FakeServices.h"

namespace qc::test {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

const std::string kProfile = "C:\\Users\\Ann";
const std::string kDesktop = kProfile + "\\Desktop";
const std::string kStartMenu = kProfile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
const std::string kOldStartMenu = kProfile + "\\Start Menu";
const std::string kStartUp = kStartMenu + "\\Programs\\StartUp";
const std::string kAgentLink = "L\0\0\0\x01\x14\x02\0C:\\Program Files\\Norvane\\KVAGENT.EXE\0"s;
const std::string kOtherLink = "L\0\0\0\x01\x14\x02\0C:\\Program Files\\Norvane\\KVVIEW.EXE\0"s;

struct Rig {
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;  // NT 6.1
  RecordingSink list;

  Rig() {
    env.vars["USERPROFILE"] = kProfile;
    fs.AddFolder(kDesktop);
    fs.AddFolder(kStartUp);
  }
  void Clean() { CleanProfile(fs, env, os, list); }
  void Scan(const std::string& dir, const std::string& tofind) {
    SearchDirDel(fs, list, dir, tofind, noRestart);
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> out;
    for (const std::string& e : fs.log) {
      if (e.starts_with("list ")) out.push_back(e.substr(5));
    }
    return out;
  }
};

enum class Kind { File, Folder };

TEST(ShortcutSelection, DecidesByEntryPathAndShortcutContents) {
  const struct {
    const char* what;
    std::string path;
    Kind kind;
    std::string content;
    bool removed;
  } cases[] = {
      {"agent shortcut, any name", kDesktop + "\\Remote.lnk", Kind::File, kAgentLink, true},
      {"agent name in lower case", kStartMenu + "\\x.LNK", Kind::File, "c:\\kvagent.exe", true},
      {"agent name in mixed case", kStartUp + "\\y.lNk", Kind::File, "KvAgent.Exe", true},
      {"module-named shortcut without the agent", kStartMenu + "\\Kelvora Quenzor Plexarium.lnk",
       Kind::File, kOtherLink, false},
      {"agent only as UTF-16", kDesktop + "\\z.lnk", Kind::File,
       "K\0V\0A\0G\0E\0N\0T\0.\0E\0X\0E\0"s, false},
      {"Readme.lnk.txt naming the agent", kDesktop + "\\Readme.lnk.txt", Kind::File, kAgentLink,
       true},
      {"Readme.lnk.txt with the fragment only",
       kStartMenu + "\\Kelvora Quenzor Plexarium Readme.lnk.txt", Kind::File, "hello", false},
      {"fragment in lower case", kStartMenu + "\\kelvora quenzor plexarium notes.txt", Kind::File,
       "", true},
      {"desktop: start menu fragment only", kDesktop + "\\Kelvora Quenzor Plexarium", Kind::Folder,
       "", false},
      {"desktop: full fragment", kDesktop + "\\KELVORA QUENZOR PLEXARIUM BY NORVANE", Kind::Folder,
       "", true},
      {"start menu: folder with the fragment", kStartMenu + "\\Kelvora Quenzor Plexarium",
       Kind::Folder, "", true},
      {"startup: file with the fragment", kStartUp + "\\Kelvora Quenzor Plexarium Agent.url",
       Kind::File, "", true},
      {"inside Programs: not entered", kStartMenu + "\\Programs\\Kelvora Quenzor Plexarium",
       Kind::Folder, "", false},
      {"shortcut candidate that is a folder", kStartMenu + "\\Kelvora Quenzor Plexarium.lnk",
       Kind::Folder, "", false},
      {"unrelated file", kStartMenu + "\\Notes.txt", Kind::File, "KVAGENT.EXE", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    if (c.kind == Kind::Folder) {
      rig.fs.AddFolder(c.path);
    } else {
      rig.fs.AddFile(c.path, c.content);
    }
    rig.Clean();
    EXPECT_EQ(rig.fs.Exists(c.path), !c.removed);
    const std::string line =
        (c.kind == Kind::Folder ? "Directory Removed: " : "File Deleted: ") + c.path;
    EXPECT_EQ(rig.list.lines, c.removed ? Lines{line} : Lines{});
    // The scan folders stay, even emptied.
    EXPECT_TRUE(rig.fs.Exists(kDesktop) && rig.fs.Exists(kStartMenu) && rig.fs.Exists(kStartUp));
  }
}

TEST(ShortcutSelection, UnreadableShortcutStaysAndClosesEveryFile) {
  Rig rig;
  rig.fs.AddFile(kStartMenu + "\\locked.lnk", kAgentLink);
  rig.fs.Find(kStartMenu + "\\locked.lnk")->unreadable = true;
  rig.fs.AddFile(kStartMenu + "\\a.lnk", kOtherLink);
  rig.fs.AddFile(kStartMenu + "\\b.lnk", kAgentLink);
  rig.Clean();
  EXPECT_EQ(rig.list.lines, Lines{"File Deleted: " + kStartMenu + "\\b.lnk"});
  EXPECT_TRUE(rig.fs.Exists(kStartMenu + "\\locked.lnk"));
  EXPECT_EQ(rig.fs.openStreams, 0);
  EXPECT_EQ(rig.fs.maxOpenStreams, 1);
}

TEST(ShortcutScan, EmptyFragmentSelectsAllButDotEntriesAndShortcuts) {
  Rig rig;
  const std::string dir = "C:\\Scan";
  rig.fs.AddFile(dir + "\\a.txt");
  rig.fs.AddFile(dir + "\\Sub\\b.txt");
  rig.fs.AddFile(dir + "\\keep.lnk", kOtherLink);
  rig.Scan(dir, "");
  EXPECT_EQ(rig.list.lines,
            (Lines{"File Deleted: " + dir + "\\a.txt", "Directory Removed: " + dir + "\\Sub",
                   "File Deleted: " + dir + "\\Sub\\b.txt"}));
  EXPECT_EQ(rig.fs.Tree(dir), (Lines{dir, dir + "\\keep.lnk"}));
}

TEST(ShortcutScan, SelectedFolderLineComesBeforeItsContents) {
  Rig rig;
  const std::string k = kStartMenu + "\\Kelvora Quenzor Plexarium";
  rig.fs.AddFile(k + "\\Help.txt", "", kAttrReadOnly);
  rig.fs.AddFile(k + "\\Docs\\Guide.txt", "", kAttrHidden | kAttrSystem);
  rig.fs.AddFile(k + "\\Zed.lnk", kAgentLink, kAttrReadOnly | kAttrHidden);
  rig.Clean();
  EXPECT_EQ(rig.list.lines,
            (Lines{"Directory Removed: " + k, "Directory Removed: " + k + "\\Docs",
                   "File Deleted: " + k + "\\Docs\\Guide.txt", "File Deleted: " + k + "\\Help.txt",
                   "File Deleted: " + k + "\\Zed.lnk"}));
  EXPECT_FALSE(rig.fs.Exists(k));
  // Each folder is listed and judged whole before anything in it changes.
  const Lines expectedLog = {"list " + kDesktop + "\\*.*",
                             "list " + kStartMenu + "\\*.*",
                             "list " + k + "\\*.*",
                             "read " + k + "\\Zed.lnk",
                             "list " + k + "\\Docs\\*.*",
                             "attr " + k + "\\Docs\\Guide.txt",
                             "rmfile " + k + "\\Docs\\Guide.txt",
                             "rmdir " + k + "\\Docs",
                             "attr " + k + "\\Help.txt",
                             "rmfile " + k + "\\Help.txt",
                             "attr " + k + "\\Zed.lnk",
                             "rmfile " + k + "\\Zed.lnk",
                             "rmdir " + k,
                             "list " + kStartUp + "\\*.*"};
  EXPECT_EQ(rig.fs.log, expectedLog);
}

TEST(ShortcutScan, FailuresAreReportedAndTheScanGoesOn) {
  Rig rig;
  const std::string k = kStartMenu + "\\Kelvora Quenzor Plexarium";
  rig.fs.AddFile(k + "\\a.txt");
  rig.fs.AddFile(k + "\\In Use.txt");
  rig.fs.Find(k + "\\In Use.txt")->locked = true;
  rig.fs.AddFile(k + "\\Viewer.lnk", kOtherLink);
  rig.fs.AddFile(k + "\\z.txt");
  // A deletion that says it is done but leaves its item, and a name that will not open.
  for (const char* name : {"\\Back.txt", "\\Shut.txt"}) rig.fs.AddFile(k + name);
  rig.fs.Find(k + "\\Back.txt")->deletionUndone = true;
  rig.fs.Find(k + "\\Shut.txt")->refuseOpen = Status::Fail(StatusCode::Denied, 5);
  rig.fs.AddFile(kStartMenu + "\\Kelvora Quenzor Plexarium.txt");
  rig.fs.Find(kStartMenu + "\\Kelvora Quenzor Plexarium.txt")->locked = true;
  rig.fs.AddFile(kStartMenu + "\\Kelvora Quenzor Plexarium.url");
  rig.Clean();
  EXPECT_EQ(
      rig.list.lines,
      (Lines{"Directory Not Removed: " + k, "File Deleted: " + k + "\\a.txt",
             "File Not Deleted: " + k + "\\Back.txt", "File Not Deleted: " + k + "\\In Use.txt",
             "File Not Deleted: " + k + "\\Shut.txt", "File Deleted: " + k + "\\z.txt",
             "File Not Deleted: " + kStartMenu + "\\Kelvora Quenzor Plexarium.txt",
             "File Deleted: " + kStartMenu + "\\Kelvora Quenzor Plexarium.url"}));
  EXPECT_EQ(rig.fs.Tree(k),
            (Lines{k, k + "\\Back.txt", k + "\\In Use.txt", k + "\\Shut.txt", k + "\\Viewer.lnk"}));
}

TEST(ShortcutScan, LinksAreRemovedNeverFollowed) {
  Rig rig;
  const std::string link = kStartMenu + "\\Kelvora Quenzor Plexarium";
  const std::string stuck = kDesktop + "\\Kelvora Quenzor Plexarium by Norvane";
  rig.fs.AddFile("D:\\Data\\keep.txt");
  rig.fs.AddFile("D:\\Data\\Kelvora Quenzor Plexarium.txt");
  rig.fs.AddFile("D:\\Data\\agent.lnk", kAgentLink);
  rig.fs.AddLink(link, "D:\\Data");
  rig.fs.AddLink(stuck, "D:\\Data");
  rig.fs.Find(stuck)->locked = true;
  rig.Clean();
  EXPECT_EQ(rig.list.lines,
            (Lines{"Directory Not Removed: " + stuck, "Directory Removed: " + link}));
  EXPECT_FALSE(rig.fs.Exists(link));
  EXPECT_EQ(rig.fs.Tree("D:\\Data"), (Lines{"D:\\Data", "D:\\Data\\agent.lnk", "D:\\Data\\keep.txt",
                                            "D:\\Data\\Kelvora Quenzor Plexarium.txt"}));
  for (const std::string& listed : rig.Listed()) EXPECT_FALSE(listed.starts_with(link)) << listed;
}

// A link on the way into the profile is followed only when it is one of Windows' own and
// stays inside the profile; otherwise one error line, and nothing it leads to changes.
TEST(ShortcutScan, ScanFolderMayBeALinkOfTheProfileOnly) {
  const std::string appData = kProfile + "\\Application Data";
  const struct {
    const char* what;
    std::string link, target;
    Lines lines;
  } cases[] = {
      {"Desktop leads elsewhere",
       kDesktop,
       "D:\\Desk",
       {"Error: A link on the way to " + kDesktop + " leads elsewhere; it was not cleaned"}},
      {"Windows' Start Menu link",
       kOldStartMenu,
       kStartMenu,
       {"File Deleted: " + kOldStartMenu + "\\Kelvora Quenzor Plexarium.url"}},
      {"Application Data leads elsewhere",
       appData,
       "D:\\Desk",
       {"Error: A link on the way to " + appData +
        "\\Norvane leads elsewhere; it was not cleaned"}},
      {"Windows' Application Data link",
       appData,
       kProfile + "\\AppData\\Roaming",
       {"Folder Deleted: " + appData + "\\Norvane"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.os.version = OsVersionInfo{5, 1, 2600, kVerPlatformWin32Nt};  // the old Start Menu
    rig.fs.AddFile("D:\\Desk\\Kelvora Quenzor Plexarium by Norvane.url");
    rig.fs.AddFile("D:\\Desk\\Norvane\\mine.txt");
    rig.fs.AddFile(kStartMenu + "\\Kelvora Quenzor Plexarium.url");
    rig.fs.AddFile(kProfile + "\\AppData\\Roaming\\Norvane\\c.dat");
    rig.fs.AddProfileLink(c.link, c.target);  // made as Windows makes its own
    CleanFiles(rig.fs, rig.env, rig.os, rig.list);
    rig.Clean();
    EXPECT_EQ(rig.list.lines.front(), c.lines.front());
    EXPECT_EQ(rig.list.outcomes.front(),
              c.lines.front().starts_with("Error: ") ? Outcome::Failure : Outcome::Success);
    EXPECT_EQ(rig.fs.Tree("D:\\Desk").size(), 4u);
    EXPECT_TRUE(rig.fs.Exists(c.link));
  }
}

// A scan folder that is missing gives no line; one that is there but cannot be listed
// says so, and everything in it stays.
TEST(ShortcutScan, MissingFoldersAreSilentAndUnlistableOnesReported) {
  Rig rig;
  rig.fs.AddFile(kStartMenu + "\\Kelvora Quenzor Plexarium.url");
  rig.fs.Find(kStartMenu)->unlistable = true;
  rig.env.vars["USERPROFILE"] = "C:\\Users\\Nobody";
  rig.Clean();
  rig.env.vars["USERPROFILE"] = kProfile;
  rig.Clean();
  EXPECT_EQ(rig.list.lines,
            Lines{"Error: The folder " + kStartMenu + " could not be read; it was not cleaned"});
  EXPECT_EQ(rig.list.outcomes, std::vector<Outcome>{Outcome::Failure});
  EXPECT_EQ(rig.Listed().size(), 3u);  // the existing ones only: Nobody's are never opened
  EXPECT_TRUE(rig.fs.Exists(kStartMenu + "\\Kelvora Quenzor Plexarium.url"));
}

TEST(ShortcutScan, NoLimitOnSelectedEntries) {
  Rig rig;
  const std::string dir = "C:\\Many";
  for (int i = 0; i < 32800; ++i) rig.fs.AddFile(dir + "\\f" + std::to_string(i));
  rig.Scan(dir, "");
  EXPECT_EQ(rig.list.lines.size(), 32800u);
  EXPECT_EQ(rig.fs.Tree(dir), Lines{dir});
}

TEST(ShortcutVersion, ChoosesTheStartMenuByVersion) {
  const struct {
    const char* what;
    std::optional<OsVersionInfo> version;
    bool nt6;
  } cases[] = {
      {"6.0", OsVersionInfo{6, 0, 6002, kVerPlatformWin32Nt}, true},
      {"6.1", OsVersionInfo{6, 1, 7601, kVerPlatformWin32Nt}, true},
      {"6.3", OsVersionInfo{6, 3, 9600, kVerPlatformWin32Nt}, true},
      {"5.1", OsVersionInfo{5, 1, 2600, kVerPlatformWin32Nt}, false},
      {"6.1 not NT", OsVersionInfo{6, 1, 0, kVerPlatformWin32Windows}, false},
      {"10.0", OsVersionInfo{10, 0, 19045, kVerPlatformWin32Nt}, false},
      {"call failed", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.os.version = c.version;
    rig.fs.AddFolder(kOldStartMenu + "\\Programs\\StartUp");
    EXPECT_EQ(IsNtVersion6(rig.os), c.nt6);
    rig.Clean();
    const std::string menu = c.nt6 ? kStartMenu : kOldStartMenu;
    EXPECT_EQ(rig.Listed(),
              (Lines{kDesktop + "\\*.*", menu + "\\*.*", menu + "\\Programs\\StartUp\\*.*"}));
  }
}

TEST(ShortcutProfile, UnusableProfileSkipsTheScansWithOneErrorLine) {
  const struct {
    std::optional<std::string> profile;
    bool usable;
  } cases[] = {
      {std::nullopt, false},        {"", false},        {"Users\\Ann", false},
      {"\\Users\\Ann", false},      {"C:Users", false}, {"C:\\Users\\Ann", true},
      {"\\\\srv\\home\\Ann", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.value_or("<unset>"));
    Rig rig;
    if (c.profile) {
      rig.env.vars["USERPROFILE"] = *c.profile;
      rig.fs.AddFolder(*c.profile + "\\Desktop");
    } else {
      rig.env.vars.erase("USERPROFILE");
    }
    rig.Clean();
    EXPECT_EQ(rig.env.reads["USERPROFILE"], 1);
    if (c.usable) {
      EXPECT_EQ(rig.list.lines, Lines{});
      EXPECT_EQ(rig.Listed().front(), *c.profile + "\\Desktop\\*.*");
    } else {
      EXPECT_EQ(rig.list.lines, Lines{kProfileUnknownLine});
      EXPECT_TRUE(rig.Listed().empty());
    }
  }
}

// A folder the shell reports elsewhere is scanned right after the rules' one, only when
// it differs from it and the shell speaks of the profile USERPROFILE names.
TEST(ShortcutProfile, ReportedFoldersElsewhereAreScannedToo) {
  const std::string oneDrive = kProfile + "\\OneDrive\\Desktop";
  const struct {
    const char* what;
    std::optional<std::string> profile, desktop, startMenu;
    Lines extra;  // scanned after Desktop, after Start Menu
  } cases[] = {
      {"moved Desktop", "c:/users/ann/", oneDrive, kStartMenu, {oneDrive, ""}},
      {"same folders, other spelling", kProfile, "C:\\USERS\\ANN\\Desktop\\", kStartMenu, {"", ""}},
      {"another profile", "C:\\Users\\Bob", oneDrive, "D:\\Menu", {"", ""}},
      {"no profile reported", std::nullopt, oneDrive, "D:\\Menu", {"", ""}},
      {"relative or missing Desktop, moved menu",
       kProfile,
       "OneDrive",
       "D:\\Menu",
       {"", "D:\\Menu"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    FakeShellFolders shell;
    if (c.profile) shell.folders[ShellFolder::Profile] = *c.profile;
    if (c.desktop) shell.folders[ShellFolder::Desktop] = *c.desktop;
    if (c.startMenu) shell.folders[ShellFolder::StartMenu] = *c.startMenu;
    rig.fs.AddFile(oneDrive + "\\Remote.lnk", kAgentLink);
    rig.fs.AddFolder("D:\\Menu");
    UserScope scope = CurrentUserScope(rig.env);
    CleanProfile(rig.fs, rig.os, shell, scope, rig.list, noRestart);
    Lines want = {kDesktop + "\\*.*", kStartMenu + "\\*.*", kStartUp + "\\*.*"};
    if (!c.extra[1].empty()) want.insert(want.begin() + 2, c.extra[1] + "\\*.*");
    if (!c.extra[0].empty()) want.insert(want.begin() + 1, c.extra[0] + "\\*.*");
    EXPECT_EQ(rig.Listed(), want);
    EXPECT_EQ(rig.list.lines.size(), c.extra[0].empty() ? 0u : 1u);
  }
}

// C:\S\x\x\...\x, nested `depth` deep, answered from each path's length alone so that
// the fake costs no more than the paths it is handed.
class FolderChain final : public IFileSystem {
 public:
  explicit FolderChain(std::size_t depth) : depth_(depth), removed_(depth + 2, false) {}
  std::optional<std::vector<DirEntry>> List(const std::string&, std::uint32_t) override {
    return std::nullopt;
  }
  Attributes GetAttributes(const std::string& path) override {
    if (removed_[Level(path)]) return {Status::Fail(StatusCode::NotFound, 3)};
    return {Status::Success(), kAttrDirectory};
  }
  OpenedItem OpenBase(const std::string&) override { return Open(kDrive); }
  OpenedItem HoldBase(const std::string&) override { return Open(kDrive); }

 private:
  static constexpr std::size_t kDrive = std::size_t(-1);  // C:, holding S at level 0
  // The folder at one level, its only entry the next level's.
  class Item final : public IFileItem {
   public:
    Item(FolderChain& chain, std::size_t level) : chain_(chain), level_(level) {}
    std::uint32_t Attributes() const override { return kAttrDirectory; }
    std::uint32_t ReparseTag() const override { return 0; }
    std::uint32_t LinkCount() const override { return 1; }
    std::optional<std::vector<DirEntry>> List() override {
      if (chain_.removed_[level_]) return std::nullopt;
      std::vector<DirEntry> entries{{".", kAttrDirectory}, {"..", kAttrDirectory}};
      if (level_ < chain_.depth_) entries.push_back({"x", kAttrDirectory});
      return entries;
    }
    OpenedItem OpenChild(const std::string&) override { return chain_.Open(level_ + 1); }
    OpenedItem HoldChild(const std::string&) override { return chain_.Open(level_ + 1); }
    std::unique_ptr<IByteStream> Read() override { return nullptr; }
    Status SetAttributes(std::uint32_t) override { return {}; }
    Status MarkForDeletion(const DeletionKey&, bool) override {
      if (level_ < chain_.depth_ && !chain_.removed_[level_ + 1]) {
        return Status::Fail(StatusCode::NotEmpty, 145);
      }
      chain_.removed_[level_] = true;
      return {};
    }
    bool ChildGone(const std::string&) override { return chain_.removed_[level_ + 1]; }
    std::optional<LinkData> LinkTarget() override { return std::nullopt; }

   private:
    FolderChain& chain_;
    std::size_t level_;
  };
  OpenedItem Open(std::size_t level) {
    if (level != kDrive && (level > depth_ || removed_[level])) {
      return {Status::Fail(StatusCode::NotFound, 2), nullptr};
    }
    return {Status::Success(), std::make_unique<Item>(*this, level)};
  }
  static std::size_t Level(const std::string& path) { return (path.size() - 4) / 2; }
  std::size_t depth_;
  std::vector<bool> removed_;
};

// Compares each line with the one expected as it arrives, without keeping any.
class ChainLines final : public IResultsSink {
 public:
  void Add(std::string_view line, Outcome outcome) override {
    path_ += "\\x";
    const std::string_view prefix = "Directory Removed: ";
    if (line.starts_with(prefix) && line.substr(prefix.size()) == path_ &&
        outcome == Outcome::Success) {
      ++matching;
    }
    ++count;
  }
  std::size_t count = 0, matching = 0;

 private:
  std::string path_ = "C:\\S";
};

TEST(SearchDirDel, RemovesFoldersNestedTwentyThousandDeepInOrder) {
  constexpr std::size_t kDepth = 20000;
  FolderChain fs(kDepth);
  ChainLines lines;
  SearchDirDel(fs, lines, "C:\\S", "x", noRestart);
  EXPECT_EQ(lines.count, kDepth);
  EXPECT_EQ(lines.matching, kDepth);
  EXPECT_TRUE(fs.GetAttributes("C:\\S\\x").gone());
  EXPECT_FALSE(fs.GetAttributes("C:\\S").gone());
}

}  // namespace
}  // namespace qc::test
