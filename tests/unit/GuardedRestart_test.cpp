// Removal at restart goes ahead only on a path that nobody but administrators can change.
#include "files/GuardedRestart.h"

#include <gtest/gtest.h>

#include "fakes/FakeMachine.h"

namespace qc::test {
namespace {

const std::string kFolder = "C:\\Program Files\\Kelvora";
const std::string kHeld = kFolder + "\\bin\\held.dll";
const std::string kUsers = "S-1-5-32-545";
const std::string kAccount = "S-1-5-21-7-7-7-1001";

void Link(ItemSecurity& i) { i.link = true; }
void UsersAdd(ItemSecurity& i) { i.dacl.push_back({true, kUsers, 0x4}); }
void UsersDelete(ItemSecurity& i) { i.dacl.push_back({true, kUsers, 0x10000}); }
void UsersWriteInside(ItemSecurity& i) { i.dacl.push_back({true, kUsers, 0x40000000, true}); }
void UsersDenied(ItemSecurity& i) { i.dacl.push_back({false, kUsers, 0x1f01ff}); }
void AccountAndInstaller(ItemSecurity& i) {
  i.ownerSid = kAccount;
  i.dacl.push_back({true, kAccount, 0x1f01ff});
  i.dacl.push_back({true, std::string(kTrustedInstallerSid), 0x1f01ff});
}
void UserOwns(ItemSecurity& i) { i.ownerSid = kUsers; }
void NullDacl(ItemSecurity& i) { i.nullDacl = true; }
void Unreadable(ItemSecurity& i) { i.status = Status::Fail(StatusCode::Denied); }
void AsWindowsSetsItUp(ItemSecurity&) {}
template <std::uint32_t kMask>
void UsersMay(ItemSecurity& i) {
  i.dacl.push_back({true, kUsers, kMask});
}
// C:\ as Windows sets it up: Authenticated Users may add folders and change what they add.
void AsOnC(ItemSecurity& i) {
  i.dacl.push_back({true, "S-1-5-11", 0x4});
  i.dacl.push_back({true, "S-1-5-11", 0x1301bf, true});
}

TEST(GuardedRestartRemoval, SchedulesOnlyWhereNoOneElseMayChangeAnyFolderOnThePath) {
  const struct {
    std::string path, changed;  // the item to schedule; the step whose security changes
    void (*change)(ItemSecurity&);
    bool scheduled;
    std::string account = kAccount;  // the running account, trusted beside the system's
  } cases[] = {
      {kHeld, kFolder, AsWindowsSetsItUp, true},
      {kHeld, kFolder, Link, false},
      {kHeld, kFolder + "\\bin", UsersAdd, false},
      {kHeld, "C:\\Program Files", UsersAdd, false},  // the walk starts below the root
      {kHeld, kHeld, UsersDelete, false},
      // Every right that changes what a name leads to counts, on every folder of the path.
      {kHeld, kFolder, UsersMay<0x2>, false},         // FILE_ADD_FILE, FILE_WRITE_DATA
      {kHeld, kFolder, UsersMay<0x10>, false},        // FILE_WRITE_EA
      {kHeld, kFolder, UsersMay<0x40>, false},        // FILE_DELETE_CHILD
      {kHeld, kFolder, UsersMay<0x100>, false},       // FILE_WRITE_ATTRIBUTES
      {kHeld, kFolder, UsersMay<0x40000>, false},     // WRITE_DAC
      {kHeld, kFolder, UsersMay<0x80000>, false},     // WRITE_OWNER
      {kHeld, kFolder, UsersMay<0x10000000>, false},  // GENERIC_ALL
      {kHeld, kFolder, UsersMay<0x40000000>, false},  // GENERIC_WRITE
      {kHeld, kFolder, UsersWriteInside, true},
      {kHeld, kFolder, UsersDenied, true},
      {kHeld, kFolder, AccountAndInstaller, true},
      {kHeld, kHeld, UserOwns, false},
      {kHeld, kHeld, [](ItemSecurity& i) { i.ownerSid.clear(); }, false,
       ""},  // names no owner; no account known
      {kHeld, kFolder, NullDacl, false},
      {kHeld, kFolder + "\\bin", Unreadable, false},
      // The root: only rights to rename or replace its children, or its owner, count.
      {kHeld, "C:\\", AsOnC, true},
      {kHeld, "C:\\", UsersDelete, true},
      {kHeld, "C:\\", UsersMay<0x40>, false},        // FILE_DELETE_CHILD
      {kHeld, "C:\\", UsersMay<0x40000>, false},     // WRITE_DAC
      {kHeld, "C:\\", UsersMay<0x80000>, false},     // WRITE_OWNER
      {kHeld, "C:\\", UsersMay<0x10000000>, false},  // GENERIC_ALL
      {kHeld, "C:\\", UserOwns, false},
      {kHeld, "C:\\", Unreadable, false},
      // Spellings that Windows would resolve through folders the check never read.
      {"C:\\", "", AsWindowsSetsItUp, false},
      {"C:\\a\\..\\Windows\\x", "", AsWindowsSetsItUp, false},
      {"C:\\a/b\\x", "", AsWindowsSetsItUp, false},
      {"C:\\a\\\\x", "", AsWindowsSetsItUp, false},
      {"\\\\pc\\c$\\x", "", AsWindowsSetsItUp, false},
      {"C:\\a:stream", "", AsWindowsSetsItUp, false},
  };
  for (const auto& c : cases) {
    FakeRestartRemoval inner;
    FakePathSecurity security;
    ItemSecurity changed = security.Read(c.changed);
    c.change(changed);
    security.items[c.changed] = changed;
    GuardedRestartRemoval guarded(inner, security, c.account);
    EXPECT_EQ(guarded.ScheduleDelete(c.path).ok(), c.scheduled) << c.path << " " << c.changed;
    EXPECT_EQ(inner.scheduled.size(), c.scheduled ? 1u : 0u) << c.path << " " << c.changed;
  }
}

}  // namespace
}  // namespace qc::test
