// The walk that both the folder deletion and the shortcut scan use, on the in-memory file
// system: what it changes of an item it deletes, or fails to.
#include "files/FolderWalk.h"

#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeResults.h"
#include "files/FileCleaner.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {
namespace {

// A file's attributes belong to the file, not to one of its names: a second name planted
// in a folder being deleted changes nothing of the file, which loses that name where
// Windows can delete it regardless and otherwise keeps it with its line. Attributes
// cleared for a deletion that then fails are put back, unless the file is in use, or the
// folder is kept by such a file (either may yet go at the next restart, which would
// refuse it read-only).
TEST(Deletion, AFilesAttributesChangeOnlyWhereItGoes) {
  const std::string folder = "C:\\Kelvora Quenzor 6.1", other = "C:\\Windows\\win.ini";
  const std::string desktop = "C:\\Users\\me\\Desktop", fragment = "Kelvora Quenzor Plexarium";
  constexpr std::uint32_t kRo = kAttrReadOnly, kHs = kAttrHidden | kAttrSystem;
  const struct {
    std::string how;  // the folder deletion or the shortcut scan; the file's case
    std::uint32_t attributes;
    bool goes;
    std::uint32_t after;  // the file's attributes
  } cases[] = {
      {"kill, second name", kRo | kHs, true, kRo | kHs},
      {"kill, second name, before Windows 10 1809", kRo, false, kRo},
      {"scan, second name, before Windows 10 1809", kHs, true, kHs},
      {"kill, denied", kRo | kHs, false, kRo | kHs},
      {"scan, denied", kRo, false, kRo},
      {"kill, in use", kRo, false, 0},
      {"kill, in use, in a read-only folder", kRo, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    FakeFileSystem fs;
    RecordingSink list;
    const bool scan = c.how.starts_with("scan"), second = c.how.find("second") != std::string::npos;
    fs.deleteIgnoresReadOnly = c.how.find("before") == std::string::npos;
    const std::string base = scan ? desktop + "\\" + fragment : folder, planted = base + "\\x.dll";
    fs.AddFile(second ? other : planted, "x", c.attributes);
    if (second) fs.AddHardLink(planted, other);
    fs.Find(planted)->denied = c.how.ends_with("denied");
    fs.Find(planted)->locked = c.how.find("in use") != std::string::npos;
    const bool readOnlyFolder = c.how.ends_with("read-only folder");
    if (readOnlyFolder) fs.Find(folder)->attributes |= kRo;
    std::vector<std::string> lines;
    if (scan) {
      SearchDirDel(fs, list, desktop, fragment, noRestart);
      lines = {(c.goes ? "Directory Removed: " : "Directory Not Removed: ") + base,
               (c.goes ? "File Deleted: " : "File Not Deleted: ") + planted};
    } else {
      KillFolder(fs, list, folder, noRestart);
      lines = {(c.goes ? "Folder Deleted: " : "Folder Not Deleted: ") + base};
    }
    EXPECT_EQ(list.lines, lines);
    EXPECT_EQ(fs.Exists(planted), !c.goes);
    EXPECT_EQ(fs.Find(second ? other : planted)->attributes, c.after);
    // A folder kept only by what is in use stays writable, so the restart can take it.
    if (readOnlyFolder) EXPECT_EQ(fs.Find(folder)->attributes & kRo, 0u);
  }
}

}  // namespace
}  // namespace qc::test
