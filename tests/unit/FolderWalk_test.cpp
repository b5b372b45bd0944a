// The walk that both the folder deletion and the shortcut scan use, on the in-memory file
// system: what it changes of an item it deletes, or fails to.
#include "files/FolderWalk.h"

#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeResults.h"
#include "files/FileCleaner.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {
namespace {

// A file's attributes belong to the file, not to one of its names: a second name planted
// in a folder being deleted changes nothing of the file, which loses that name where
// Windows can delete it regardless and otherwise keeps it with its line. Attributes
// cleared for a deletion that then fails are put back, unless the file is in use (and may
// yet go at the next restart, which would refuse it read-only).
TEST(Deletion, AFilesAttributesChangeOnlyWhereItGoes) {
  const std::string folder = "C:\\Kelvora Quenzor 6.1", other = "C:\\Windows\\win.ini";
  const std::string shortcuts = "C:\\Users\\me\\Desktop\\Kelvora Quenzor Plexarium by Norvane";
  constexpr std::uint32_t kRo = kAttrReadOnly, kHs = kAttrHidden | kAttrSystem;
  const struct {
    const char* what;
    bool scan;  // the shortcut scan, else the folder deletion
    std::uint32_t attributes;
    bool secondName, windows1809, denied, locked;
    std::vector<std::string> lines;  // of the folder and of the file
    std::uint32_t after;             // the file's attributes
  } cases[] = {
      {"second name", false, kRo | kHs, true, true, false, false, {"Folder Deleted: "}, kRo | kHs},
      {"second name, before 1809",
       false,
       kRo,
       true,
       false,
       false,
       false,
       {"Folder Not Deleted: "},
       kRo},
      {"second name, scan",
       true,
       kHs,
       true,
       false,
       false,
       false,
       {"Directory Removed: ", "File Deleted: "},
       kHs},
      {"second name, scan, before 1809",
       true,
       kRo,
       true,
       false,
       false,
       false,
       {"Directory Not Removed: ", "File Not Deleted: "},
       kRo},
      {"one name, denied",
       false,
       kRo | kHs,
       false,
       true,
       true,
       false,
       {"Folder Not Deleted: "},
       kRo | kHs},
      {"one name, scan, denied",
       true,
       kRo,
       false,
       true,
       true,
       false,
       {"Directory Not Removed: ", "File Not Deleted: "},
       kRo},
      {"one name, in use", false, kRo, false, true, false, true, {"Folder Not Deleted: "}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    RecordingSink list;
    fs.deleteIgnoresReadOnly = c.windows1809;
    const std::string base = c.scan ? shortcuts : folder, planted = base + "\\x.dll";
    fs.AddFile(c.secondName ? other : planted, "x", c.attributes);
    if (c.secondName) fs.AddHardLink(planted, other);
    fs.Find(planted)->denied = c.denied;
    fs.Find(planted)->locked = c.locked;
    if (c.scan) {
      SearchDirDel(fs, list, "C:\\Users\\me\\Desktop", "Kelvora Quenzor Plexarium by Norvane",
                   false);
    } else {
      KillFolder(fs, list, folder);
    }
    std::vector<std::string> lines{c.lines[0] + base};
    if (c.lines.size() > 1) lines.push_back(c.lines[1] + planted);
    EXPECT_EQ(list.lines, lines);
    EXPECT_EQ(fs.Exists(planted), c.lines[0].find("Not") != std::string::npos);
    EXPECT_EQ(fs.Find(c.secondName ? other : planted)->attributes, c.after);
  }
}

}  // namespace
}  // namespace qc::test
