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
  const std::string p = "C:\\Users\\bob", local = p + "\\AppData\\Local";
  const std::string file = local + "\\Microsoft\\Windows\\UsrClass.dat", other = "C:\\Windows\\SAM";
  const std::string name = "QuenzorCleaner S-bob_Classes", load = "load " + name + " " + file;
  const std::string unload = "unload " + name,
                    deleted = "Registry Key Deleted: HKEY_USERS\\S-bob_Classes\\Kelvora.Downloader";
  const std::string error = "Error: The registrations of the user profile " + p + " could not be ";
  const std::vector<std::string> way = {p, p + "\\AppData", local, local + "\\Microsoft",
                                        local + "\\Microsoft\\Windows"};
  using Seed = std::function<void(FakeFileSystem&, FakeRegistry&, FakeUserHives&)>;
  const Seed plain = [&](FakeFileSystem& fs, FakeRegistry&, FakeUserHives&) { fs.AddFile(file); };
  const auto also = [&](Seed more) {
    return [&plain, more](FakeFileSystem& fs, FakeRegistry& r, FakeUserHives& h) {
      plain(fs, r, h);
      more(fs, r, h);
    };
  };
  std::vector<std::string> patient = {load, unload};
  for (const char* pause : {"100", "200", "400", "600", "700"}) {
    patient.insert(patient.end(), {std::string("pause ") + pause, unload});
  }
  const struct {
    const char* what;
    Seed seed;
    std::vector<std::string> lines, calls;
  } cases[] = {
      {"where Windows keeps it", plain, {deleted}, {load, unload}},
      {"never signed in", [](auto&...) {}, {}, {}},
      {"a link on the way",
       [&](FakeFileSystem& fs, auto&...) {
         fs.AddFile("D:\\Local\\Microsoft\\Windows\\UsrClass.dat");
         fs.AddLink(local, "D:\\Local");
       },
       {error + "loaded"},
       {}},
      {"a folder on the way in use",
       also([&](FakeFileSystem& fs, auto&...) { fs.Find(way[1])->locked = true; }),
       {error + "loaded"},
       {}},
      {"a second name of another file",
       [&](FakeFileSystem& fs, auto&...) {
         fs.AddFile(other);
         fs.AddHardLink(file, other);
       },
       {error + "loaded"},
       {}},
      {"a reparse point",
       [&](FakeFileSystem& fs, auto&...) { fs.AddReparsePoint(file, 0x9000101A, false); },
       {error + "loaded"},
       {}},
      {"a log with a second name",
       also([&](FakeFileSystem& fs, auto&...) {
         fs.AddFile(other);
         fs.AddHardLink(file + ".LOG1", other);
       }),
       {error + "loaded"},
       {}},
      {"a log that is a link",
       also([&](FakeFileSystem& fs, auto&...) {
         fs.AddReparsePoint(file + ".LOG2", kReparseTagSymlink, false);
       }),
       {error + "loaded"},
       {}},
      {"left loaded by a run that stopped",
       also([&](FakeFileSystem&, FakeRegistry& r, FakeUserHives& h) {
         r.AddKey(kHkeyUsers, name + "\\Kelvora.Downloader.1");
         h.loaded.insert(name);
       }),
       {deleted},
       {unload, load, unload}},
      {"unloaded at the third try",
       also([](FakeFileSystem&, FakeRegistry&, FakeUserHives& h) { h.refuseUnloads = 2; }),
       {deleted},
       {patient.begin(), patient.begin() + 6}},
      {"never unloaded",
       also([](FakeFileSystem&, FakeRegistry&, FakeUserHives& h) { h.refuseUnloads = 99; }),
       {deleted, error + "unloaded"},
       patient},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry reg;
    FakeUserHives hives(reg);
    FakeFileSystem fs;
    FakeOsVersion os;
    hives.files[file] = {"Kelvora.Downloader\\CurVer"};
    c.seed(fs, reg, hives);
    hives.onCall = [&] {
      if (hives.calls[0].starts_with("load") || hives.calls.size() > 1) {
        for (const std::string& folder : way) {
          EXPECT_FALSE(fs.Rename(folder, folder + "2")) << folder;
        }
      }
    };
    UserScope every;
    every.everyProfile = true;
    every.accounts.push_back({"S-bob", p});
    RecordingSink lines;
    CleanUserRegistrations(reg, every, &hives, fs, os, lines);
    EXPECT_EQ(lines.lines, c.lines);
    EXPECT_EQ(hives.calls, c.calls);
    for (const std::string& folder : way) {
      if (const FakeFileSystem::Node* held = fs.Find(folder)) {
        EXPECT_EQ(held->holds, 0) << folder;
      }
    }
    EXPECT_EQ(reg.OpenHandles(), 0u);
    EXPECT_EQ(reg.badCloses, 0);
  }
}

}  // namespace
}  // namespace qc::test
