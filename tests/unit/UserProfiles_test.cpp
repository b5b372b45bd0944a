// The profiles a run as the system account cleans: real accounts with a plain, existing,
// absolute folder, each folder once, ordered by path.
#include "files/UserProfiles.h"

#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"

namespace qc::test {
namespace {

TEST(UserProfiles, RealAccountsWithPlainFoldersInPathOrder) {
  FakeFileSystem fs;
  for (const char* f : {"C:\\Users\\zoe", "C:\\Users\\Bob", "C:\\Users\\ann", "D:\\Ext",
                        "C:\\Windows\\ServiceProfiles\\LocalService"}) {
    fs.AddFolder(f);
  }
  fs.AddFile("C:\\Users\\file");
  fs.AddLink("C:\\Users\\linked", "D:\\Ext");
  const std::vector<ProfileEntry> entries = {
      {"S-1-5-18", "C:\\Windows\\system32\\config\\systemprofile"},
      {"S-1-5-19", "C:\\Windows\\ServiceProfiles\\LocalService"},
      {"S-1-5-21-1-2-3-1003", "C:\\Users\\zoe\\"},
      {"S-1-5-21-1-2-3-1001", "C:\\Users\\Bob"},
      {"S-1-5-21-1-2-3-1001.bak", "C:\\USERS\\BOB"},
      {"s-1-5-21-1-2-3-1002", "C:\\Users\\ann"},
      {"S-1-5-21-1-2-3-1004", "C:\\Users\\gone"},
      {"S-1-5-21-1-2-3-1005", "C:\\Users\\file"},
      {"S-1-5-21-1-2-3-1006", "C:\\Users\\linked"},
      {"S-1-5-21-1-2-3-1007", "Users\\zoe"},
      {"S-1-5-21-1-2-3-1008", "D:\\"},
      {"S-1-5-21-1-2-3-1009", ""},
  };
  std::vector<std::string> paths;
  for (const ProfileEntry& p : ProfilesToClean(entries, fs)) paths.push_back(p.sid + " " + p.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"s-1-5-21-1-2-3-1002 C:\\Users\\ann",
                                             "S-1-5-21-1-2-3-1001 C:\\Users\\Bob",
                                             "S-1-5-21-1-2-3-1003 C:\\Users\\zoe"}));
}

}  // namespace
}  // namespace qc::test
