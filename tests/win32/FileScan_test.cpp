// The listing and attribute adapter, reading through open items, and the shortcut scan
// on real folders: a temporary profile with real shell links, hidden, system and
// read-only files, a file held open elsewhere, and a folder link whose target must survive.
#include <gtest/gtest.h>
#include <shobjidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/FakeServices.h"
#include "win32/TempFolder.h"

namespace qc::win {
namespace {

using Lines = std::vector<std::string>;

bool MakeShortcut(const std::string& lnk, const std::string& target) {
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  Microsoft::WRL::ComPtr<IPersistFile> file;
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&link))) &&
         SUCCEEDED(link->SetPath(ToW(target).c_str())) && SUCCEEDED(link.As(&file)) &&
         SUCCEEDED(file->Save(ToW(lnk).c_str(), TRUE));
}

TEST_F(TempFolderTest, ListsEveryEntryWithItsAttributes) {
  const std::string dir = root_ + "\\List";
  ASSERT_TRUE(MakeFile(dir + "\\plain.txt"));
  ASSERT_TRUE(MakeFile(dir + "\\hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MakeFile(dir + "\\system.dat", "x", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(MakeFile(dir + "\\readonly.txt", "x", FILE_ATTRIBUTE_READONLY));
  MakeDir(dir + "\\Sub");
  const auto entries = fs_.List(dir + "\\*.*", kListAll);
  ASSERT_TRUE(entries.has_value());
  std::vector<std::pair<std::string, std::uint32_t>> seen;
  for (const DirEntry& e : *entries) {
    seen.emplace_back(e.name,
                      e.attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory));
  }
  std::sort(seen.begin(), seen.end());
  const decltype(seen) expected = {{".", kAttrDirectory},      {"..", kAttrDirectory},
                                   {"Sub", kAttrDirectory},    {"hidden.txt", kAttrHidden},
                                   {"plain.txt", 0},           {"readonly.txt", kAttrReadOnly},
                                   {"system.dat", kAttrSystem}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(fs_.List(root_ + "\\Missing\\*.*", kListAll), std::nullopt);
}

TEST_F(TempFolderTest, AttributesRemovalAndReading) {
  const std::string dir = root_ + "\\Attr";
  ASSERT_TRUE(MakeFile(dir + "\\ro.txt", "abc", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(fs_.GetAttributes(dir + "\\ro.txt").bits & (kAttrReadOnly | kAttrHidden),
            kAttrReadOnly | kAttrHidden);
  const OpenedItem folder = fs_.OpenBase(dir);
  ASSERT_NE(folder.item, nullptr);
  EXPECT_TRUE(folder.item->OpenChild("ro.txt").item->SetAttributes(0).ok());
  const Attributes reset = fs_.GetAttributes(dir + "\\ro.txt");
  EXPECT_TRUE(reset.ok());
  EXPECT_EQ(reset.bits & (kAttrReadOnly | kAttrHidden | kAttrSystem), 0u);
  EXPECT_TRUE(fs_.GetAttributes(dir + "\\none").gone());
  EXPECT_TRUE(fs_.GetAttributes(dir + "\\none\\deeper").gone());
  EXPECT_EQ(folder.item->OpenChild("none").status.code, StatusCode::NotFound);
  EXPECT_EQ(fs_.OpenBase(root_).item->OpenChild("Attr").item->Read(), nullptr);
  // Another program writing the file does not stop it being read.
  UniqueHandle writer(CreateFileW(Long(dir + "\\ro.txt").c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  ASSERT_TRUE(writer);
  const OpenedItem file = folder.item->OpenChild("ro.txt");
  auto stream = file.item->Read();
  ASSERT_NE(stream, nullptr);
  char buf[2] = {};
  EXPECT_EQ(stream->Read(buf, 2), std::optional<std::size_t>(2));
  EXPECT_EQ(stream->Read(buf, 2), std::optional<std::size_t>(1));
  EXPECT_EQ(buf[0], 'c');
  EXPECT_EQ(stream->Read(buf, 2), std::optional<std::size_t>(0));
  EXPECT_FALSE(DeleteItem(fs_.OpenBase(root_).item->OpenChild("Attr").item).ok());
  MakeDir(dir + "\\Empty");
  OpenedItem empty = folder.item->OpenChild("Empty");
  EXPECT_TRUE(DeleteItem(std::move(empty.item)).ok());
  EXPECT_TRUE(folder.item->ChildGone("Empty"));
  EXPECT_FALSE(Exists(dir + "\\Empty"));
}

TEST_F(TempFolderTest, LongPathsAndTrailingDotsAreReachedExactly) {
  std::string deep = root_;
  while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
  ASSERT_TRUE(MakeFile(deep + "\\deep.lnk", "KVAGENT.EXE"));
  ASSERT_TRUE(MakeFile(root_ + "\\data.", "dot"));  // only the name with the dot exists
  const auto entries = fs_.List(deep + "\\*.*", kListAll);
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(entries->size(), 3u);
  test::RecordingSink list;
  SearchDirDel(fs_, list, deep, "Kelvora", test::noRestart);
  EXPECT_EQ(list.lines, Lines{"File Deleted: " + deep + "\\deep.lnk"});
  EXPECT_TRUE(fs_.GetAttributes(root_ + "\\data.").ok());
  const OpenedItem dotted = fs_.OpenBase(root_).item->OpenChild("data.");
  auto stream = dotted.item->Read();
  ASSERT_NE(stream, nullptr);
  char buf[8] = {};
  EXPECT_EQ(stream->Read(buf, sizeof buf), std::optional<std::size_t>(3));
}

class ShortcutScanOnDisk : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    profile_ = root_ + "\\Profile";
    desktop_ = profile_ + "\\Desktop";
    startMenu_ = profile_ + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    startUp_ = startMenu_ + "\\Programs\\StartUp";
    agent_ = root_ + "\\Program Files\\Norvane\\KVAGENT.EXE";
    viewer_ = root_ + "\\Program Files\\Norvane\\KVVIEW.EXE";
    MakeDir(desktop_);
    MakeDir(startUp_);
    ASSERT_TRUE(MakeFile(agent_) && MakeFile(viewer_));
    ASSERT_TRUE(com_.ok());
  }
  Lines Clean() {
    test::RecordingSink list;
    test::FakeEnvironment env;
    env.vars["USERPROFILE"] = profile_;
    test::FakeOsVersion os;  // Windows 7
    test::CleanProfile(fs_, env, os, list);
    return list.lines;
  }

  ComApartment com_;
  std::string profile_, desktop_, startMenu_, startUp_, agent_, viewer_;
};

TEST_F(ShortcutScanOnDisk, AgentShortcutsGoWhateverTheirNames) {
  const Lines agentLinks = {desktop_ + "\\Remote Help.lnk", startMenu_ + "\\tools.LNK",
                            startUp_ + "\\zz.lnk"};
  const Lines otherLinks = {desktop_ + "\\Viewer.lnk",
                            startMenu_ + "\\Kelvora Quenzor Plexarium.lnk"};
  for (const std::string& l : agentLinks) ASSERT_TRUE(MakeShortcut(l, agent_)) << l;
  for (const std::string& l : otherLinks) ASSERT_TRUE(MakeShortcut(l, viewer_)) << l;
  EXPECT_EQ(Clean(), (Lines{"File Deleted: " + agentLinks[0], "File Deleted: " + agentLinks[1],
                            "File Deleted: " + agentLinks[2]}));
  for (const std::string& l : agentLinks) EXPECT_FALSE(Exists(l)) << l;
  for (const std::string& l : otherLinks) EXPECT_TRUE(Exists(l)) << l;
  EXPECT_TRUE(Exists(desktop_) && Exists(startMenu_) && Exists(startUp_));
}

// A selected folder goes with its hidden, system and read-only files; a file held open
// elsewhere is reported and keeps its folder, and the rest goes all the same.
TEST_F(ShortcutScanOnDisk, SelectedFolderGoesWithEverythingButAFileHeldOpen) {
  const std::string k = startMenu_ + "\\Kelvora Quenzor Plexarium", file = "File Deleted: " + k;
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held ? "a file held open" : "nothing held");
    ASSERT_TRUE(MakeFile(k + "\\a hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(MakeFile(k + "\\b system.dat", "x", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(MakeFile(k + "\\busy.txt"));
    ASSERT_TRUE(MakeFile(k + "\\c readonly.txt", "x", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeFile(k + "\\Docs\\all.txt", "x",
                         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const UniqueHandle busy(held ? CreateFileW(Long(k + "\\busy.txt").c_str(), GENERIC_READ,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE);
    ASSERT_EQ(bool(busy), held);
    EXPECT_EQ(Clean(), (Lines{(held ? "Directory Not Removed: " : "Directory Removed: ") + k,
                              file + "\\a hidden.txt", file + "\\b system.dat",
                              (held ? "File Not Deleted: " : "File Deleted: ") + k + "\\busy.txt",
                              file + "\\c readonly.txt", "Directory Removed: " + k + "\\Docs",
                              file + "\\Docs\\all.txt"}));
    EXPECT_EQ(Exists(k + "\\busy.txt"), held);
    EXPECT_EQ(Exists(k), held);
  }
}

TEST_F(ShortcutScanOnDisk, LinkedFolderKeepsItsContents) {
  const std::string target = root_ + "\\Elsewhere";
  const Lines kept = {target + "\\keep.txt", target + "\\Kelvora Quenzor Plexarium notes.txt",
                      target + "\\Sub\\inner.txt"};
  for (const std::string& f : kept) ASSERT_TRUE(MakeFile(f));
  ASSERT_TRUE(MakeShortcut(target + "\\agent.lnk", agent_));
  const std::string link = startMenu_ + "\\Kelvora Quenzor Plexarium";
  ASSERT_TRUE(Link(link, target));
  const Lines lines = Clean();
  // Wine cannot remove such a link through Win32; Windows can. Either way the line
  // says what happened and nothing behind the link is touched.
  const std::string verb = Exists(link) ? "Directory Not Removed: " : "Directory Removed: ";
  EXPECT_EQ(lines, Lines{verb + link});
  for (const std::string& f : kept) EXPECT_TRUE(Exists(f)) << f;
  EXPECT_TRUE(Exists(target + "\\agent.lnk"));
}

// Names that plain Win32 paths would rewrite: a trailing dot or blank is stripped and a
// device name such as CON, NUL or AUX (with any extension) names the device instead.
TEST_F(ShortcutScanOnDisk, HostileNamesGoTheSameWhateverTheProfileSpelling) {
  const std::string agent = "L\x01\x14KVAGENT.EXE";
  const std::string data = profile_ + "\\Norvane";
  const std::string k = startMenu_ + "\\Kelvora Quenzor Plexarium";
  const std::pair<std::string, std::string> seed[] = {
      {data + "\\trailing dot.", "x"},
      {data + "\\trailing blank ", "x"},
      {data + "\\con", "x"},
      {data + "\\Sub.\\aux.txt", "x"},
      {startMenu_ + "\\Agent.lnk.", agent},
      {startMenu_ + "\\con.lnk", agent},
      {k + "\\a.txt", "x"},
      {k + ".\\nul.lnk", agent},
      {k + ".\\aux.txt", "x"},
  };
  std::string slashes = profile_;
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  std::vector<std::pair<std::string, Outcome>> plain;
  for (const std::string& spelling : {profile_, profile_ + "\\", slashes}) {
    SCOPED_TRACE(spelling);
    for (const auto& [path, content] : seed) ASSERT_TRUE(MakeFile(path, content)) << path;
    test::RecordingSink list;
    test::FakeEnvironment env;
    env.vars["USERPROFILE"] = spelling;
    test::FakeOsVersion os;  // Windows 7
    test::CleanFiles(fs_, env, os, list);
    test::CleanProfile(fs_, env, os, list);
    std::vector<std::pair<std::string, Outcome>> ours;  // the fixed C: entries are not ours
    for (std::size_t i = 0; i < list.lines.size(); ++i) {
      if (list.lines[i].find(profile_) != std::string::npos) {
        ours.emplace_back(list.lines[i], list.outcomes[i]);
      }
    }
    for (const auto& [path, content] : seed) EXPECT_FALSE(Exists(path)) << path;
    if (plain.empty()) {
      plain = ours;
      EXPECT_EQ(plain.size(), 8u);  // the data folder, two shortcuts, two folders and theirs
      for (const auto& [line, outcome] : plain) EXPECT_EQ(outcome, Outcome::Success) << line;
    }
    EXPECT_EQ(ours, plain);
  }
}

}  // namespace
}  // namespace qc::win
