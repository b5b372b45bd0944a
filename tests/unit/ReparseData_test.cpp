// Reparse data as Windows lays it out: each kind of link's target, the tags that are no
// links, and data that is cut short or malformed.
#include "base/ReparseData.h"

#include <gtest/gtest.h>

#include "base/FolderPath.h"
#include "fakes/ReparseBytes.h"

namespace qc::test {
namespace {

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(ReparseData, ReadsEachKindOfLinkAndRefusesTheRest) {
  const auto mount = MountPointBytes("C:\\Users\\Eva\\AppData\\Roaming");
  auto lone = ReparseBytes(kReparseTagMountPoint, "\\??\\C:\\A", "");
  lone[lone.size() - 2] = 0x00;  // "A" becomes half a surrogate pair
  lone[lone.size() - 1] = 0xD8;
  const std::string volume = "Volume{0b1e5c3a-2d4f-4e6a-8b9c-1d2e3f4a5b6c}\\Data";
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::optional<std::string> path;
    bool relative = false;
  } cases[] = {
      {"junction", mount, "C:\\Users\\Eva\\AppData\\Roaming"},
      {"absolute symbolic link", ReparseBytes(kReparseTagSymlink, "\\??\\D:\\Data", "D:\\Data"),
       "D:\\Data"},
      {"relative symbolic link",
       ReparseBytes(kReparseTagSymlink, "..\\Data", "..\\Data", kSymlinkFlagRelative), "..\\Data",
       true},
      {"share", ReparseBytes(kReparseTagSymlink, "\\??\\UNC\\srv\\home\\eva", ""),
       "\\\\srv\\home\\eva"},
      {"volume GUID", ReparseBytes(kReparseTagMountPoint, "\\??\\" + volume, ""),
       "\\\\?\\" + volume},
      {"letters outside ASCII", MountPointBytes("C:\\Users\\Zo\xC3\xAB \xF0\x9F\x90\xB1"),
       "C:\\Users\\Zo\xC3\xAB \xF0\x9F\x90\xB1"},
      {"cloud placeholder", ReparseBytes(0x9000101A, "\\??\\C:\\A", ""), std::nullopt},
      {"cut in the header", Cut(mount, 12), std::nullopt},
      {"cut before the names end", Cut(mount, mount.size() - 2), std::nullopt},
      {"symbolic link without its flags", Cut(ReparseBytes(kReparseTagSymlink, "", ""), 16),
       std::nullopt},
      {"half a surrogate pair", lone, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<LinkData> got = ParseReparseData(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(got.has_value(), c.path.has_value());
    if (!got) continue;
    EXPECT_EQ(got->path, *c.path);
    EXPECT_EQ(got->relative, c.relative);
  }
  // A volume's own name is no folder path, so it is never inside a profile.
  EXPECT_EQ(NormaliseFolder("\\\\?\\" + volume), std::nullopt);
}

TEST(ReparseData, OnlyNameSurrogatesAndUnknownTagsAreLinks) {
  const std::pair<std::uint32_t, bool> tags[] = {
      {kReparseTagMountPoint, true},
      {kReparseTagSymlink, true},
      {0, true},
      {0x9000001A, false} /* cloud */,
      {0x80000017, false} /* WOF */,
      {0x80000013, false} /* dedup */,
      {0x8000001B, false} /* app alias */,
  };
  for (const auto& [tag, link] : tags) EXPECT_EQ(IsLinkTag(tag), link) << std::hex << tag;
}

}  // namespace
}  // namespace qc::test
