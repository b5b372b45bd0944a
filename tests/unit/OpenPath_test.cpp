// Opening a path one name at a time: how each way through folders and links ends.
#include "paths/OpenPath.h"

#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"

namespace qc::test {
namespace {

const std::string kProfile = "C:\\Users\\ann";

void Files(FakeFileSystem& fs) {
  fs.AddFile("C:\\a\\b");
  fs.AddFile("\\\\pc\\share\\a");
  fs.AddFolder(kProfile + "\\AppData\\Roaming\\Norvane");
  fs.AddLink("C:\\a\\link", "C:\\t");
  fs.AddFolder("C:\\t");
}
void ProfileLink(FakeFileSystem& fs) {
  fs.AddProfileLink(kProfile + "\\Application Data", kProfile + "\\AppData\\Roaming");
}
void ProfileLinkOut(FakeFileSystem& fs) {
  fs.AddProfileLink(kProfile + "\\Application Data", "C:\\t");
}
void OwnLinkInProfile(FakeFileSystem& fs) {
  fs.AddLink(kProfile + "\\Mine", kProfile + "\\AppData\\Roaming");
}
void ProfileLinkLoop(FakeFileSystem& fs) {
  fs.AddProfileLink(kProfile + "\\Application Data", kProfile + "\\Application Data");
}
void RefusedFolder(FakeFileSystem& fs) {
  fs.Find("C:\\a")->refuseOpen = Status::Fail(StatusCode::Denied, 5);
}
void Nothing(FakeFileSystem&) {}

TEST(OpenPath, EndsAsTheWayThroughFoldersAndLinksAllows) {
  const std::string roaming = kProfile + "\\AppData\\Roaming\\Norvane";
  const struct {
    std::string path;
    void (*setup)(FakeFileSystem&);
    PathState state;
    std::string walked;  // when Opened; else whether the last name's folder was reached
    bool followLast = true;
  } cases[] = {
      {"C:\\a\\b", Nothing, PathState::Opened, "C:\\a\\b"},
      {"\\\\pc\\share\\a", Nothing, PathState::Opened, "\\\\pc\\share\\a"},
      {"C:\\a\\missing", Nothing, PathState::Missing, "parent"},
      {"C:\\x\\y", Nothing, PathState::Missing, ""},
      {"C:\\a\\b\\c", Nothing, PathState::Missing, ""},  // a file where a folder should be
      {"C:\\a\\..", Nothing, PathState::Missing, ""},
      {"a\\b", Nothing, PathState::Missing, ""},
      {"C:\\a\\link\\x", Nothing, PathState::LinkElsewhere, ""},
      {"C:\\a\\link", Nothing, PathState::LinkElsewhere, ""},
      {"C:\\a\\link", Nothing, PathState::Opened, "C:\\a\\link", false},
      {kProfile + "\\Application Data\\Norvane", ProfileLink, PathState::Opened, roaming},
      {kProfile + "\\Application Data\\Norvane", ProfileLinkOut, PathState::LinkElsewhere, ""},
      {kProfile + "\\Mine\\Norvane", OwnLinkInProfile, PathState::LinkElsewhere, ""},
      {kProfile + "\\Application Data\\Norvane", ProfileLinkLoop, PathState::LinkElsewhere, ""},
      {"C:\\a\\b", RefusedFolder, PathState::Unreachable, ""},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    Files(fs);
    c.setup(fs);
    const OpenedPath opened = OpenPath(fs, c.path, kProfile, c.followLast);
    EXPECT_EQ(opened.state, c.state) << c.path;
    EXPECT_EQ(opened.item != nullptr, c.state == PathState::Opened) << c.path;
    if (c.state == PathState::Opened) EXPECT_EQ(opened.walked, c.walked) << c.path;
    if (c.state == PathState::Missing)
      EXPECT_EQ(opened.parent != nullptr, !c.walked.empty()) << c.path;
  }
}

}  // namespace
}  // namespace qc::test
