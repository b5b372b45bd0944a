// The reported Program Files folders that add installation folders: which values count,
// and duplicates.
#include "files/ProgramFilesFolders.h"

#include <gtest/gtest.h>

#include "fakes/FakeMachine.h"
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

TEST(ProgramFilesFolders, MissingProgramW6432IsReadFromTheRegistryOn64BitWindowsOnly) {
  const std::optional<std::string> unset;
  const struct {
    std::optional<std::string> variable, registry;
    bool windows64;
    std::optional<std::string> seen;
  } cases[] = {
      {"D:\\Programs", "E:\\Other", true, "D:\\Programs"},  // Windows 7 and later set it
      {unset, "D:\\Programs", true, "D:\\Programs"},        // Vista and XP x64 do not
      {unset, "D:\\Programs", false, unset},
      {unset, unset, true, unset},
  };
  for (const auto& c : cases) {
    FakeEnvironment env;
    if (c.variable) env.vars["ProgramW6432"] = *c.variable;
    env.vars["ProgramFiles"] = "C:\\Program Files";
    FakeMachine machine;
    machine.windows64 = c.windows64;
    machine.programFiles64 = c.registry;
    ProgramFilesEnvironment reported(env, machine);
    EXPECT_EQ(reported.Get("ProgramW6432"), c.seen);
    EXPECT_EQ(reported.Get("ProgramFiles"), "C:\\Program Files");
    EXPECT_EQ(ExtraInstallFolders(reported).size(), c.seen ? 5u : 0u);
  }
}

}  // namespace
}  // namespace qc::test
