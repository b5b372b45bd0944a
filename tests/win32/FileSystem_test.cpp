// Opening and deletion on real files in a temporary folder: whole trees with
// awkward attributes, files in use, read-only files, links, non-ASCII profiles, and a
// profile link opened as Windows lets it be.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeServices.h"
#include "fakes/ReparseBytes.h"
#include "fakes/WatchedFolder.h"
#include "files/FolderWalk.h"
#include "paths/OpenPath.h"
#include "platform/win32/NtFile_win32.h"
#include "win32/TempFolder.h"

namespace qc::win {
namespace {

using test::noRestart;
using test::RecordingSink;

class FileSystemTest : public TempFolderTest {
 protected:
  void TearDown() override {
    open_.clear();
    TempFolderTest::TearDown();
  }
  // The item name in the temporary folder, opened as the deletions open it.
  OpenedItem Open(const std::string& relative) {
    const std::size_t cut = relative.rfind('\\');
    OpenedItem folder =
        fs_.OpenBase(cut == std::string::npos ? root_ : At(relative.substr(0, cut)));
    if (!folder.item) return folder;
    return folder.item->OpenChild(cut == std::string::npos ? relative : relative.substr(cut + 1));
  }

  RecordingSink list_;
  std::vector<UniqueHandle> open_;
};

TEST_F(FileSystemTest, PathsOpenAsTheFilesAndFoldersTheyName) {
  MakeDir(At("Dir \xC3\xA9t\xC3\xA9"));  // "Dir été"
  MakeFile(At("f\xC5\x9C.txt"), "data", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  const struct {
    std::string path;
    bool folder, file;
  } cases[] = {
      {At("Dir \xC3\xA9t\xC3\xA9"), true, false},
      {At("DIR \xC3\xA9T\xC3\xA9"), true, false},
      {At("Dir \xC3\xA9t\xC3\xA9\\"), true, false},
      {At("f\xC5\x9C.txt"), false, true},
      {At("missing"), false, false},
      {At("missing\\deeper"), false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    const OpenedPath opened = OpenPath(fs_, c.path, {}, false);
    const std::uint32_t folder = opened.item ? opened.item->Attributes() & kAttrDirectory : 0;
    EXPECT_EQ(opened.item && folder, c.folder) << c.path;
    EXPECT_EQ(opened.item && !folder, c.file) << c.path;
  }
}

// Paths deeper than MAX_PATH inside the tree go as well.
TEST_F(FileSystemTest, NestedTreeWithReadOnlyHiddenAndSystemItemsGoesWhole) {
  const std::string product = At("Kelvora Quenzor 5.1");
  MakeFile(product + "\\agent.exe", "data", FILE_ATTRIBUTE_READONLY);
  MakeFile(product + "\\sub\\hidden.dat", "data", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(product + "\\sub\\deeper\\sys.bin", "data",
           FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  MakeDir(product + "\\sub", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(product + "\\locked-down\\x.ini", "data", FILE_ATTRIBUTE_READONLY);
  MakeDir(product + "\\locked-down", FILE_ATTRIBUTE_READONLY);
  MakeDir(product + "\\empty");
  std::string deep = product;
  while (deep.size() < 400) deep += "\\a-rather-long-folder-name-for-depth";
  MakeFile(deep + "\\bottom.txt", "data", FILE_ATTRIBUTE_READONLY);

  EXPECT_TRUE(KillFolder(fs_, list_, product + "\\", noRestart));
  EXPECT_EQ(list_.lines, std::vector<std::string>{"Folder Deleted: " + product});
  EXPECT_FALSE(Exists(product));
  EXPECT_TRUE(Names(root_).empty());
}

TEST_F(FileSystemTest, FileInUseKeepsItsFolderAndEverythingElseGoes) {
  const std::string product = At("Kelvora Quenzor 5.6");
  MakeFile(product + "\\a\\first.txt", "data", FILE_ATTRIBUTE_READONLY);
  MakeFile(product + "\\m\\in-use.log");
  MakeFile(product + "\\m\\other.log");
  MakeFile(product + "\\z.txt", "data", FILE_ATTRIBUTE_HIDDEN);
  // Open without delete sharing, as a running program holds its log.
  open_.emplace_back(CreateFileW(Long(product + "\\m\\in-use.log").c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
  ASSERT_TRUE(open_.back());

  EXPECT_FALSE(KillFolder(fs_, list_, product, noRestart));
  EXPECT_EQ(list_.lines, std::vector<std::string>{"Folder Not Deleted: " + product});
  EXPECT_EQ(Names(product), std::vector<std::string>{"m"});
  EXPECT_EQ(Names(product + "\\m"), std::vector<std::string>{"in-use.log"});

  OpenedItem folder = Open("Kelvora Quenzor 5.6");
  ASSERT_NE(folder.item, nullptr);
  const TreeDeletion again = RemoveTree(std::move(folder.item), product);
  EXPECT_EQ(again.code, StatusCode::InUse);
  EXPECT_EQ(again.error, DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_STREQ(again.call, "NtCreateFile");
  // Only the file in use is named: its folders stayed because of it.
  ASSERT_EQ(again.stayed.size(), 1u);
  EXPECT_EQ(again.stayed[0].path, product + "\\m\\in-use.log");
  EXPECT_EQ(again.stayed[0].status.code, StatusCode::InUse);
}

TEST_F(FileSystemTest, KillFileNeverForces) {
  const struct {
    const char* name;
    DWORD attributes;
    const char* line;
    bool stays;
  } cases[] = {
      {"RiViruzaravo.exe", FILE_ATTRIBUTE_NORMAL, "File Deleted: ", false},
      {"RiViruzaravo.inf", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "File Deleted: ", false},
      {"DuZide.exe", FILE_ATTRIBUTE_READONLY, "File Not Deleted: ", true},
  };
  for (const auto& c : cases) {
    RecordingSink list;
    MakeFile(At(c.name), "data", c.attributes);
    EXPECT_EQ(KillFile(fs_, list, At(c.name), noRestart), !c.stays) << c.name;
    EXPECT_EQ(list.lines, std::vector<std::string>{c.line + At(c.name)}) << c.name;
    EXPECT_EQ(Exists(At(c.name)), c.stays) << c.name;
  }
  EXPECT_EQ(DeleteItem(Open("DuZide.exe").item).code, StatusCode::Denied);
  EXPECT_EQ(Open("missing.exe").status.code, StatusCode::NotFound);
}

TEST_F(FileSystemTest, LinkInsideAProductFolderIsNotFollowed) {
  MakeFile(At("outside\\precious.doc"));
  MakeFile(At("outside\\sub\\more.doc"));
  const std::string product = At("Kelvora Quenzor 5.9");
  MakeFile(product + "\\agent.exe", "data", FILE_ATTRIBUTE_READONLY);
  if (!Link(product + "\\shared", At("outside"))) GTEST_SKIP() << "no links here";

  const bool result = KillFolder(fs_, list_, product, noRestart);

  EXPECT_TRUE(Exists(At("outside\\precious.doc")));
  EXPECT_TRUE(Exists(At("outside\\sub\\more.doc")));
  EXPECT_FALSE(Exists(product + "\\agent.exe"));
  // Windows removes the link; Wine cannot remove a Unix link, and then says so.
  const bool left = Exists(product);
  EXPECT_EQ(result, !left);
  EXPECT_EQ(list_.lines, std::vector<std::string>{
                             (left ? "Folder Not Deleted: " : "Folder Deleted: ") + product});
  if (left) {
    EXPECT_EQ(Names(product), std::vector<std::string>{"shared"});
  }
}

TEST_F(FileSystemTest, ListedFolderThatIsALinkLosesOnlyTheLink) {
  MakeFile(At("real\\precious.doc"));
  MakeDir(At("profile"));
  if (!Link(At("profile\\Norvane"), At("real"))) GTEST_SKIP() << "no links here";

  OpenedItem link = Open("profile\\Norvane");
  ASSERT_NE(link.item, nullptr);
  ASSERT_TRUE(link.item->Attributes() & FILE_ATTRIBUTE_REPARSE_POINT);
  const Status status = DeleteItem(std::move(link.item));

  EXPECT_TRUE(Exists(At("real\\precious.doc")));
  EXPECT_EQ(status.ok(), !Exists(At("profile\\Norvane")));
}

// Windows refuses to delete a running program as it refuses a file held open: in use.
TEST_F(FileSystemTest, RunningProgramCountsAsInUse) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring idle = self;
  idle = idle.substr(0, idle.rfind(L'\\')) + L"\\idle.exe";
  std::wstring running = Long(At("running.exe"));
  ASSERT_TRUE(CopyFileW(idle.c_str(), running.c_str(), TRUE));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(running.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  Sleep(200);  // mapped by then
  const Status status = DeleteItem(Open("running.exe").item);
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 5000);
  EXPECT_EQ(status.code, StatusCode::InUse);
}

// A folder renamed and replaced by a link once the walk has listed it leads the walk
// nowhere else: the link's target keeps its files, and the rest of the folder goes.
TEST_F(FileSystemTest, FolderSwappedForALinkAfterItsListingLeadsNowhereElse) {
  const std::string product = At("Kelvora Quenzor 6.1");
  MakeFile(product + "\\readme.txt");
  for (const char* name : {"\\a.dat", "\\b.dat"}) {
    MakeFile(product + "\\data" + name);
    MakeFile(At("target") + name);
  }
  OpenedItem folder = Open("Kelvora Quenzor 6.1");
  ASSERT_NE(folder.item, nullptr);
  bool swapped = false;
  auto watched = std::make_unique<test::WatchedFolder>(
      std::move(folder.item), product, [&](const std::string& listed) {
        if (listed != product + "\\data" || swapped) return;
        swapped = true;
        ASSERT_TRUE(MoveFileW(Long(listed).c_str(), Long(product + "\\moved").c_str()));
        ASSERT_TRUE(Link(listed, At("target")));
      });
  const TreeDeletion deletion = RemoveTree(std::move(watched), product);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(Names(At("target")), (std::vector<std::string>{"a.dat", "b.dat"}));
  EXPECT_FALSE(Exists(product + "\\readme.txt"));
  // Whatever stayed is reported: nothing claims a deletion that did not happen.
  EXPECT_EQ(deletion.ok(), !Exists(product + "\\moved\\a.dat"));
}

TEST_F(FileSystemTest, ProfileWithNonAsciiLettersIsCleaned) {
  // The fixed entries are absolute C: paths; run only where none of them is present.
  for (const char* fixed :
       {"C:\\Kelvora Quenzor 5.1", "C:\\Kelvora Quenzor 6.1", "C:\\Program Files\\Norvane Software",
        "C:\\Windows\\Downloaded Program Files\\DuZide.exe"}) {
    if (Exists(fixed)) GTEST_SKIP() << fixed << " exists on this PC";
  }
  const std::string profile = At("Zo\xC3\xAB \xC5\x9C \xE5\xB1\xB1\xE7\x94\xB0");  // "Zoë Ŝ 山田"
  MakeFile(profile + "\\Norvane\\s\xC3\xB8.dat");
  MakeFile(profile + "\\Application Data\\Norvane\\c.dat", "data", FILE_ATTRIBUTE_READONLY);
  MakeFile(profile + "\\Local Settings\\Application Data\\Norvane\\d.dat");
  MakeFile(profile + "\\ntuser.dat");
  test::FakeEnvironment env;
  env.vars["USERPROFILE"] = profile;
  test::FakeOsVersion os;  // Windows 7: the folders of the list's names are there all the same

  test::CleanFiles(fs_, env, os, list_);

  EXPECT_EQ(list_.lines,
            (std::vector<std::string>{
                "Folder Deleted: " + profile + "\\Norvane",
                "Folder Deleted: " + profile + "\\Application Data\\Norvane",
                "Folder Deleted: " + profile + "\\Local Settings\\Application Data\\Norvane"}));
  EXPECT_FALSE(Exists(profile + "\\Norvane"));
  EXPECT_TRUE(Exists(profile + "\\ntuser.dat"));
  EXPECT_TRUE(Exists(profile + "\\Local Settings\\Application Data"));
}

// Under Wine no file DACL is enforced. This table stands in front of the adapter's ntdll
// calls and refuses, on the link it is told of, what Windows refuses on its own profile
// links (SYNCHRONIZE or listing the link itself), and synchronous I/O without SYNCHRONIZE
// anywhere; it answers for that link's target as Windows would (Wine 8 cannot), on the
// event the caller must give, since the handle is then asynchronous.
struct ProfileLinkChecker {
  static inline std::wstring link;
  static inline std::string target;
  static inline std::set<HANDLE> linkHandles;

  static LONG WINAPI Open(HANDLE* out, ACCESS_MASK access, OBJECT_ATTRIBUTES* object,
                          IO_STATUS_BLOCK* io, LARGE_INTEGER* size, ULONG attributes, ULONG share,
                          ULONG disposition, ULONG options, void* ea, ULONG eaSize) {
    constexpr LONG kInvalidParameter = LONG(0xC000000D), kAccessDenied = LONG(0xC0000022);
    if ((options & 0x30) != 0 && !(access & SYNCHRONIZE)) return kInvalidParameter;
    const std::wstring name(object->ObjectName->Buffer, object->ObjectName->Length / 2);
    const bool itself = (options & 0x200000) != 0 && name == link;  // FILE_OPEN_REPARSE_POINT
    if (itself && (access & (SYNCHRONIZE | FILE_LIST_DIRECTORY)) != 0) return kAccessDenied;
    const LONG status = NtdllFileCalls().createFile(out, access, object, io, size, attributes,
                                                    share, disposition, options, ea, eaSize);
    if (status >= 0 && itself) linkHandles.insert(*out);
    if (status >= 0 && !itself) linkHandles.erase(*out);
    return status;
  }
  static LONG WINAPI FsControl(HANDLE file, HANDLE event, void* apc, void* context,
                               IO_STATUS_BLOCK* io, ULONG code, void* in, ULONG inSize, void* out,
                               ULONG outSize) {
    if (code != 0x900A8 || !linkHandles.count(file)) {
      return NtdllFileCalls().fsControl(file, event, apc, context, io, code, in, inSize, out,
                                        outSize);
    }
    constexpr LONG kPending = 0x103;  // without an event, the caller never learns the end
    if (event == nullptr) return kPending;
    const std::vector<std::uint8_t> data = test::MountPointBytes(target);
    std::memcpy(out, data.data(), std::min<std::size_t>(data.size(), outSize));
    io->Status = 0;
    io->Information = data.size();
    SetEvent(event);
    return kPending;
  }
};

TEST_F(FileSystemTest, WindowsProfileLinkIsOpenedOnlyAsWindowsAllowsAndFollowed) {
  const std::string profile = At("profile"), roaming = At("profile\\AppData\\Roaming");
  MakeFile(roaming + "\\Norvane\\c.dat");
  if (!Link(profile + "\\Application Data", roaming)) GTEST_SKIP() << "no links";
  ProfileLinkChecker::link = L"Application Data";
  ProfileLinkChecker::target = roaming;
  NtFileCalls checked = NtdllFileCalls();
  checked.createFile = &ProfileLinkChecker::Open;
  checked.fsControl = &ProfileLinkChecker::FsControl;
  Win32FileSystem fs(checked);

  const std::string data = profile + "\\Application Data\\Norvane";
  EXPECT_TRUE(KillFolder(fs, list_, data, noRestart, profile));
  EXPECT_EQ(list_.lines, std::vector<std::string>{"Folder Deleted: " + data});
  EXPECT_FALSE(Exists(roaming + "\\Norvane"));
  EXPECT_TRUE(Exists(profile + "\\Application Data"));
}

// A file's attributes belong to the file, not to one of its names (under Wine too: the
// Unix write bit and an extended attribute). A second name of a read-only, hidden file
// planted in a folder being deleted and among the shortcuts goes where Windows can delete
// it regardless (10 1809 and later) and otherwise stays with its Not line; either way the
// file keeps its attributes.
TEST_F(FileSystemTest, ASecondNameOfAFileChangesNothingOfIt) {
  const std::string file = At("hosts"), product = At("Kelvora Quenzor 5.1");
  const std::string desktop = At("Desktop"), shortcuts = desktop + "\\Kelvora Quenzor Plexarium";
  MakeFile(file, "data", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const DWORD before = GetFileAttributesW(Long(file).c_str());
  ASSERT_TRUE(before & FILE_ATTRIBUTE_READONLY);
  MakeFile(product + "\\agent.exe");  // goes whatever becomes of the second name
  for (const std::string& folder : {product, shortcuts}) {
    MakeDir(folder);
    ASSERT_TRUE(CreateHardLinkW(Long(folder + "\\hosts").c_str(), Long(file).c_str(), nullptr));
  }
  KillFolder(fs_, list_, product, noRestart);
  SearchDirDel(fs_, list_, desktop, "Kelvora Quenzor Plexarium", noRestart);

  const bool gone = !Exists(product + "\\hosts");
  const std::vector<std::string> deleted = {"Folder Deleted: " + product,
                                            "Directory Removed: " + shortcuts,
                                            "File Deleted: " + shortcuts + "\\hosts"};
  const std::vector<std::string> kept = {"Folder Not Deleted: " + product,
                                         "Directory Not Removed: " + shortcuts,
                                         "File Not Deleted: " + shortcuts + "\\hosts"};
  EXPECT_EQ(list_.lines, gone ? deleted : kept);
  EXPECT_EQ(Exists(shortcuts + "\\hosts"), !gone);
  EXPECT_FALSE(Exists(product + "\\agent.exe"));
  EXPECT_EQ(GetFileAttributesW(Long(file).c_str()), before);
  SetFileAttributesW(Long(file).c_str(), FILE_ATTRIBUTE_NORMAL);  // for TearDown
}

// Wine has no opportunistic locks. This table answers an open of the item it is told of
// as Windows answers one that would break another program's lock: with the program's
// FILE_COMPLETE_IF_OPLOCKED at once, with a handle and the success code
// STATUS_OPLOCK_BREAK_IN_PROGRESS; without it, the open would wait for the lock's holder.
// Opens for the attributes alone break no lock.
struct OplockHolder {
  static inline std::wstring name;
  static inline bool waited = false;
  static LONG WINAPI Open(HANDLE* out, ACCESS_MASK access, OBJECT_ATTRIBUTES* object,
                          IO_STATUS_BLOCK* io, LARGE_INTEGER* size, ULONG attributes, ULONG share,
                          ULONG disposition, ULONG options, void* ea, ULONG eaSize) {
    const LONG status = NtdllFileCalls().createFile(out, access, object, io, size, attributes,
                                                    share, disposition, options, ea, eaSize);
    const std::wstring opened(object->ObjectName->Buffer, object->ObjectName->Length / 2);
    const bool breaks = (access & (DELETE | FILE_READ_DATA | FILE_WRITE_DATA)) != 0;
    if (status < 0 || opened != name || !breaks) return status;
    waited = waited || !(options & 0x100);
    return 0x108;
  }
};

TEST_F(FileSystemTest, AnItemUnderAnOpportunisticLockCountsAsInUse) {
  MakeFile(At("held.dll"));
  MakeFile(At("free.dll"));
  OplockHolder::name = L"held.dll";
  NtFileCalls locked = NtdllFileCalls();
  locked.createFile = &OplockHolder::Open;
  Win32FileSystem fs(locked);
  EXPECT_FALSE(KillFile(fs, list_, At("held.dll"), noRestart));
  EXPECT_TRUE(KillFile(fs, list_, At("free.dll"), noRestart));
  EXPECT_EQ(list_.lines, (std::vector<std::string>{"File Not Deleted: " + At("held.dll"),
                                                   "File Deleted: " + At("free.dll")}));
  EXPECT_TRUE(Exists(At("held.dll")));
  EXPECT_FALSE(OplockHolder::waited);
}

}  // namespace
}  // namespace qc::win
