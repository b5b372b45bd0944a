// Loading a signed-out user's classes hive in a run over every profile, against the
// in-memory registry and file system: from where the file really lies, with the way to it
// held, and unloaded however long another program keeps the hive.
#include "registry/HiveFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeResults.h"
#include "fakes/FakeSystem.h"
#include "registry/RegistryCleaner.h"

namespace qc::test {
namespace {

// A signed-out user's hive is loaded only from where it really is: reached from the
// profile as the file stage reaches a folder, every folder on the way held until it is
// unloaded; a way through a link elsewhere or one that cannot be held, and a hive file or
// log that is a reparse point or another file's second name, are refused. A hive left
// loaded by a run that stopped goes first; a refused unload is tried again for 2 s.
TEST(CleanUserRegistrations, ASignedOutUsersHiveLoadsOnlyFromWhereItReallyIs) {
  const std::string p = "C:\\Users\\bob", local = p + "\\AppData\\Local", other = "C:\\SAM";
  const std::string file = local + "\\Microsoft\\Windows\\UsrClass.dat";
  const std::string name = "QuenzorCleaner S-bob_Classes", load = "load " + name + " " + file;
  const std::string unload = "unload " + name;
  const std::string error = "Error: The registrations of the user profile " + p + " could not be ";
  const std::vector<std::string> deleted = {
      "Registry Key Deleted: HKEY_USERS\\S-bob_Classes\\Kelvora.Downloader"};
  const std::vector<std::string> refused = {error + "loaded"};
  const std::vector<std::string> way = {p, p + "\\AppData", local, local + "\\Microsoft",
                                        local + "\\Microsoft\\Windows"};
  std::vector<std::string> patient = {load, unload};
  for (const char* pause : {"100", "200", "400", "600", "700"}) {
    patient.insert(patient.end(), {std::string("pause ") + pause, unload});
  }
  struct Rig {
    FakeRegistry reg;
    FakeUserHives hives{reg};
    FakeFileSystem fs;
  };
  const struct {
    const char* what;
    std::function<void(Rig&)> seed;
    std::vector<std::string> lines, calls;
  } cases[] = {
      {"where Windows keeps it", [](Rig&) {}, deleted, {load, unload}},
      {"never signed in", [&](Rig& r) { r.fs.Rename(file, file + ".old"); }, {}, {}},
      {"a link on the way", [&](Rig& r) { r.fs.AddLink(local, "D:\\Local"); }, refused, {}},
      {"a folder on the way in use",
       [&](Rig& r) { r.fs.Find(way[1])->locked = true; },
       refused,
       {}},
      {"a second name of a file", [&](Rig& r) { r.fs.AddHardLink(file, other); }, refused, {}},
      {"a reparse point",
       [&](Rig& r) { r.fs.AddReparsePoint(file, 0x9000101A, false); },
       refused,
       {}},
      {"a log with a second name",
       [&](Rig& r) { r.fs.AddHardLink(file + ".LOG1", other); },
       refused,
       {}},
      {"a log that is a link",
       [&](Rig& r) { r.fs.AddReparsePoint(file + ".LOG2", kReparseTagSymlink, false); },
       refused,
       {}},
      {"left loaded by a run that stopped",
       [&](Rig& r) {
         r.reg.AddKey(kHkeyUsers, name + "\\Kelvora.Downloader.1");
         r.hives.loaded.insert(name);
       },
       deleted,
       {unload, load, unload}},
      {"unloaded at the third try",
       [](Rig& r) { r.hives.refuseUnloads = 2; },
       deleted,
       {patient.begin(), patient.begin() + 6}},
      {"never unloaded",
       [](Rig& r) { r.hives.refuseUnloads = 99; },
       {deleted[0], error + "unloaded"},
       patient},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    r.fs.AddFile(file);
    r.fs.AddFile(other);
    r.hives.files[file] = {"Kelvora.Downloader\\CurVer"};
    c.seed(r);
    // From the load on, until the hive is unloaded, nothing on the way can be renamed.
    r.hives.onCall = [&] {
      if (r.hives.calls[0].starts_with("load") || r.hives.calls.size() > 1) {
        for (const std::string& folder : way) {
          EXPECT_FALSE(r.fs.Rename(folder, folder + "2")) << folder;
        }
      }
    };
    UserScope every;
    every.everyProfile = true;
    every.accounts.push_back({"S-bob", p});
    RecordingSink lines;
    FakeOsVersion os;
    CleanUserRegistrations(r.reg, every, r.hives, r.fs, os, lines);
    EXPECT_EQ(lines.lines, c.lines);
    EXPECT_EQ(r.hives.calls, c.calls);
    for (const std::string& folder : way) {
      if (const FakeFileSystem::Node* held = r.fs.Find(folder)) {
        EXPECT_EQ(held->holds, 0) << folder;
      }
    }
    EXPECT_EQ(r.reg.OpenHandles(), 0u);
  }
}

}  // namespace
}  // namespace qc::test
