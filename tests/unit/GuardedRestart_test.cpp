// Removal at restart goes ahead only on a path that nobody but administrators can change.
#include "files/GuardedRestart.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeMachine.h"

namespace qc::test {
namespace {

const std::string kFolder = "C:\\Program Files\\Kelvora";
const std::string kHeld = kFolder + "\\bin\\held.dll";
const std::string kUsers = "S-1-5-32-545";
const std::string kAccount = "S-1-5-21-7-7-7-1001";

TEST(GuardedRestartRemoval, SchedulesOnlyWhereNoOneElseMayChangeAnyFolderOnThePath) {
  const auto with = [](const std::string& path, std::function<void(ItemSecurity&)> change) {
    return [=](FakePathSecurity& s) {
      ItemSecurity item = s.Read(path);
      change(item);
      s.items[path] = item;
    };
  };
  const struct {
    const char* what;
    std::function<void(FakePathSecurity&)> set;
    bool scheduled;
  } cases[] = {
      {"as Windows sets it up", [](FakePathSecurity&) {}, true},
      {"a link on the path", with(kFolder, [](ItemSecurity& i) { i.link = true; }), false},
      {"users may add to a folder",
       with(kFolder + "\\bin",
            [](ItemSecurity& i) {
              i.dacl.push_back({true, kUsers, 0x4});
            }),
       false},
      {"users may delete the item",
       with(kHeld,
            [](ItemSecurity& i) {
              i.dacl.push_back({true, kUsers, 0x10000});
            }),
       false},
      {"users may write, for the children only",
       with(kFolder,
            [](ItemSecurity& i) {
              i.dacl.push_back({true, kUsers, 0x40000000, true});
            }),
       true},
      {"users are denied writing",
       with(kFolder,
            [](ItemSecurity& i) {
              i.dacl.push_back({false, kUsers, 0x1f01ff});
            }),
       true},
      {"the running account and TrustedInstaller may write",
       with(kFolder,
            [](ItemSecurity& i) {
              i.ownerSid = kAccount;
              i.dacl.push_back({true, kAccount, 0x1f01ff});
              i.dacl.push_back({true, std::string(kTrustedInstallerSid), 0x1f01ff});
            }),
       true},
      {"an untrusted owner", with(kHeld, [](ItemSecurity& i) { i.ownerSid = kUsers; }), false},
      {"a NULL DACL", with(kFolder, [](ItemSecurity& i) { i.nullDacl = true; }), false},
      {"an unreadable descriptor",
       with(kFolder + "\\bin",
            [](ItemSecurity& i) { i.status = Status::Fail(StatusCode::Denied); }),
       false},
  };
  for (const auto& c : cases) {
    FakeRestartRemoval inner;
    FakePathSecurity security;
    c.set(security);
    GuardedRestartRemoval guarded(inner, security, kAccount);
    EXPECT_EQ(guarded.ScheduleDelete(kHeld).ok(), c.scheduled) << c.what;
    EXPECT_EQ(inner.scheduled, c.scheduled ? std::vector{kHeld} : std::vector<std::string>{})
        << c.what;
  }
  // Spellings that Windows would resolve through folders the check never read.
  for (const std::string path : {"C:\\", "C:\\a\\..\\Windows\\x", "C:\\a/b\\x", "\\\\pc\\c$\\x",
                                 "C:\\a\\\\x", "x.dll", "C:\\a:stream"}) {
    FakeRestartRemoval inner;
    FakePathSecurity security;
    EXPECT_FALSE(GuardedRestartRemoval(inner, security, kAccount).ScheduleDelete(path).ok())
        << path;
    EXPECT_TRUE(inner.scheduled.empty()) << path;
  }
}

}  // namespace
}  // namespace qc::test
