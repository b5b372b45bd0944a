// The installation folders under the reported Program Files folders: which values
// count, duplicates, and the order of the folders.
#include "files/ProgramFilesFolders.h"

#include <gtest/gtest.h>

#include "fakes/FakeSystem.h"

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

TEST(ProgramFilesFolders, FiveVersionsPerRootInTheOrderOfTheVariables) {
  FakeEnvironment env;
  env.vars = {{"ProgramFiles", "D:\\PF"}, {"ProgramW6432", "E:\\PF64"}};
  const std::string versions[] = {"5.1", "5.5", "5.6", "5.9", "6.1"};
  Roots expected;
  for (const char* root : {"D:\\PF", "E:\\PF64"}) {
    for (const auto& v : versions) {
      expected.push_back(std::string(root) + "\\Norvane Software\\Kelvora Quenzor " + v);
    }
  }
  EXPECT_EQ(ExtraInstallFolders(env), expected);
}

}  // namespace
}  // namespace qc::test
