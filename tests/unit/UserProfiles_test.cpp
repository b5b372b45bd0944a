// The profiles a run as the system account cleans: every account but the services whose
// folder exists (a moved profile's link included), each folder once, ordered by path;
// one whose folder cannot be listed is kept, marked unreadable.
#include "users/UserProfiles.h"

#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"

namespace qc::test {
namespace {

TEST(UserProfiles, EveryAccountButTheServicesWhoseFolderExistsInPathOrder) {
  FakeFileSystem fs;
  // A drive's root is a folder too, and so is the system account's profile.
  for (const char* f :
       {"C:\\Users\\zoe", "C:\\Users\\Bob", "C:\\Users\\ann", "D:", "D:\\Ext", "C:\\Users\\cloud",
        "C:\\Users\\dom", "C:\\Users\\shut", "C:\\Windows\\ServiceProfiles\\LocalService",
        "C:\\Windows\\system32\\config\\systemprofile"}) {
    fs.AddFolder(f);
  }
  fs.Find("C:\\Users\\shut")->unlistable = true;
  fs.AddFile("C:\\Users\\file");
  fs.AddLink("C:\\Users\\linked", "D:\\Ext");
  const std::vector<ProfileEntry> entries = {
      {"S-1-5-18", "C:\\Windows\\system32\\config\\systemprofile"},
      {"s-1-5-19", "C:\\Windows\\ServiceProfiles\\LocalService"},
      {"S-1-5-20", "C:\\Users\\ann"},
      {"S-1-5-21-1-2-3-1003", "C:\\Users\\zoe\\"},
      {"S-1-5-21-1-2-3-1001", "C:\\Users\\Bob"},
      {"S-1-5-21-1-2-3-1001.bak", "C:\\USERS\\BOB"},
      {"s-1-5-21-1-2-3-1002", "C:\\Users\\ann"},
      {"S-1-12-1-4-5-6-7", "C:\\Users\\cloud"},
      {"S-1-5-21-9-9-9-1104", "C:\\Users\\dom"},
      {"S-1-5-21-1-2-3-1004", "C:\\Users\\gone"},
      {"S-1-5-21-1-2-3-1005", "C:\\Users\\file"},
      {"S-1-5-21-1-2-3-1006", "C:\\Users\\linked"},
      {"S-1-5-21-1-2-3-1010", "C:\\Users\\shut"},
      {"S-1-5-21-1-2-3-1007", "Users\\zoe"},
      {"S-1-5-21-1-2-3-1008", "D:\\"},
      {"S-1-5-21-1-2-3-1009", ""},
  };
  std::vector<std::string> chosen;
  for (const UserAccount& a : AccountsToClean(entries, fs)) {
    chosen.push_back(a.sid + " " + a.profile + (a.readable ? "" : " unreadable"));
  }
  EXPECT_EQ(chosen, (std::vector<std::string>{
                        "s-1-5-21-1-2-3-1002 C:\\Users\\ann", "S-1-5-21-1-2-3-1001 C:\\Users\\Bob",
                        "S-1-12-1-4-5-6-7 C:\\Users\\cloud", "S-1-5-21-9-9-9-1104 C:\\Users\\dom",
                        "S-1-5-21-1-2-3-1006 C:\\Users\\linked",
                        "S-1-5-21-1-2-3-1010 C:\\Users\\shut unreadable",
                        "S-1-5-21-1-2-3-1003 C:\\Users\\zoe"}));
}

}  // namespace
}  // namespace qc::test
