// The reported Program Files folders that add installation folders: which values count,
// and duplicates.
#include "files/ProgramFilesFolders.h"

#include <gtest/gtest.h>


namespace qc::test {
namespace {

using Values = std::vector<std::optional<std::string>>;
using Roots = std::vector<std::string>;

TEST(ProgramFilesFolders, OnlyNewAbsoluteDrivePathsCount) {
  const std::optional<std::string> unset;
  const struct {
    Values values;
    Roots roots;
  } cases[] = {
      // 32-bit Windows: the literal folder only, nothing added.
      {{"C:\\Program Files", unset, unset}, {}},
      // A 32-bit program on 64-bit Windows.
      {{"C:\\Program Files (x86)", "C:\\Program Files (x86)", "C:\\Program Files"},
       {"C:\\Program Files (x86)"}},
      // Letter case and one trailing backslash do not make a folder new.
      {{"c:\\PROGRAM FILES\\", "D:\\Apps\\", "d:\\apps"}, {"D:\\Apps"}},
      {{"", "Program Files", "\\Program Files", "C:Program Files"}, {}},
      // Either separator, doubled ones: the same folder, taken apart as every base folder.
      {{"D:/Apps//", "d:\\apps", "\\\\server\\share"}, {"D:\\Apps"}},
      {{"E:\\"}, {"E:"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtraProgramFilesRoots(c.values), c.roots);
}

}  // namespace
}  // namespace qc::test
