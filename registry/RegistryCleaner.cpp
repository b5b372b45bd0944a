// Deleting the product's registry keys, each with its whole subtree.
#include "registry/RegistryCleaner.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/AsciiCase.h"
#include "registry/HiveFile.h"
#include "registry/LoadedHive.h"
#include "registry/OpenKey.h"
#include "registry/RegistryKeys.h"
#include "texts/ResultsTexts.h"

namespace qc {

// The path's letter case is the one shown in the results list. Entries that differ
// only in case name the same key: the second of such a pair normally finds nothing.
// The HKEY_CLASSES_ROOT entries repeat machine registrations because that view also
// shows per-user registrations of the same classes.
const RegistryLocation kRegistryCleanupList[17] = {
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\DiVudava.exe"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\DiVudava.EXE"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\RiViruzaravo.exe"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\RiViruzaravo.EXE"},
    {kHkeyLocalMachine,
     "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
     "{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyClassesRoot, "CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker.1"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker.2"},
    {kHkeyClassesRoot, "Kelvora.Downloader"},
    {kHkeyClassesRoot, "Kelvora.Downloader.1"},
    {kHkeyClassesRoot, "Kelvora.Downloader.2"},
    {kHkeyClassesRoot, "TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}"},
};

namespace {

// Passes every line on with the name of the view it came from appended.
class ViewLines final : public IResultsSink {
 public:
  ViewLines(IResultsSink& listWork, const char* suffix) : listWork_(listWork), suffix_(suffix) {}
  void Add(std::string_view line, Outcome outcome) override {
    listWork_.Add(std::string(line) + suffix_, outcome);
  }

 private:
  IResultsSink& listWork_;
  const char* suffix_;
};

constexpr const char* kMachineClasses = "SOFTWARE\\Classes\\";

// The class key an entry names below the classes root, in the list's letter case.
std::optional<std::string> ClassesName(const RegistryLocation& entry) {
  const std::string path = entry.keyPath;
  if (entry.hive == kHkeyClassesRoot) return path;
  const std::string prefix = kMachineClasses;
  if (entry.hive == kHkeyLocalMachine && StartsWithAscii(path, prefix)) {
    return path.substr(prefix.size());
  }
  return std::nullopt;
}

// The user's own copies, the class keys below root\path, shown below display.
struct UserClasses {
  RegKey root;
  std::string path;
  std::string display;
};

void DeleteUserCopies(IRegistry& registry, IRegistry* otherView, IResultsSink& listWork,
                      IResultsSink& otherLines, const UserClasses& classes) {
  for (const RegistryLocation& entry : kRegistryCleanupList) {
    const std::optional<std::string> name = ClassesName(entry);
    if (!name) continue;
    const std::string path = classes.path + *name;
    DeleteRegistryKey(registry, listWork, classes.root, path, classes.display + *name);
    if (otherView != nullptr) {
      DeleteRegistryKey(*otherView, otherLines, classes.root, path, classes.display + *name);
    }
  }
}

bool Opens(IRegistry& registry, const std::string& name) {
  return OpenKey(registry, kHkeyUsers, name, kRegOptionOpenLink, kKeyRead).ok();
}

// Where Windows keeps the classes hive of a profile: below AppData from Vista on.
std::string UserClassesFile(IOsVersion& os, const std::string& profile) {
  const std::optional<OsVersionInfo> v = os.QueryVersion();
  const bool xp = v && (v->platformId != kVerPlatformWin32Nt || v->majorVersion < 6);
  return profile + (xp ? "\\Local Settings\\Application Data" : "\\AppData\\Local") +
         "\\Microsoft\\Windows\\UsrClass.dat";
}

// What loading a signed-out user's classes hive takes.
struct HiveLoading {
  IRegistry& registry;
  IUserHives& hives;
  IFileSystem& fs;
  IOsVersion& os;
};

// A signed-out user's classes, from the profile's hive file loaded for the while.
void CleanSignedOutUser(const HiveLoading& with, const UserAccount& account,
                        const std::function<void(const UserClasses&)>& clean,
                        IResultsSink& listWork) {
  const std::string classes = account.sid + "_Classes";
  const std::string name = "QuenzorCleaner " + classes;
  // Left loaded by a run that stopped, it would keep the file from loading now.
  if (Opens(with.registry, name)) UnloadPatiently(with.hives, name);
  const HiveFile file =
      ReachHiveFile(with.fs, UserClassesFile(with.os, account.profile), account.profile);
  if (file.state == HiveFileState::Absent) return;  // the user never signed in
  std::optional<LoadedHive> hive;
  if (file.state == HiveFileState::Ready) hive.emplace(with.hives, name, file.path);
  const long status = hive ? hive->status() : kErrorAccessDenied;
  if (status == kErrorFileNotFound || status == kErrorPathNotFound) return;
  if (!hive || !hive->ok()) {
    listWork.Add(HiveNotLoadedLine(account.profile), Outcome::Failure);
    return;
  }
  clean({kHkeyUsers, name + "\\", "HKEY_USERS\\" + classes + "\\"});
  if (hive->Unload() != kErrorSuccess) {
    listWork.Add(HiveNotUnloadedLine(account.profile), Outcome::Failure);
  }
}

}  // namespace

void CleanRegistry(IRegistry& registry, IResultsSink& listWork, IRegistry* otherView,
                   bool program64Bit) {
  ViewLines otherLines(listWork, program64Bit ? " (32-bit view)" : " (64-bit view)");
  // Nothing stops the walk: every key gets its own attempt and its own line. A key both
  // views share is gone after the first deletion and finds nothing in the other view.
  for (const RegistryLocation& entry : kRegistryCleanupList) {
    DeleteRegistryKey(registry, listWork, entry.hive, entry.keyPath);
    if (otherView != nullptr) DeleteRegistryKey(*otherView, otherLines, entry.hive, entry.keyPath);
  }
}

void CleanUserRegistrations(IRegistry& registry, UserScope& scope, IUserHives& hives,
                            IFileSystem& fs, IOsVersion& os, IResultsSink& listWork,
                            IRegistry* otherView, bool program64Bit) {
  ViewLines otherLines(listWork, program64Bit ? " (32-bit view)" : " (64-bit view)");
  const auto clean = [&](const UserClasses& classes) {
    DeleteUserCopies(registry, otherView, listWork, otherLines, classes);
  };
  if (!scope.everyProfile) {
    clean({kHkeyCurrentUser, "Software\\Classes\\", "HKEY_CURRENT_USER\\Software\\Classes\\"});
    return;
  }
  ReportUnreadableProfiles(scope, listWork);
  for (const UserAccount& account : scope.accounts) {
    if (!account.readable) continue;
    const std::string classes = account.sid + "_Classes";
    const std::string display = "HKEY_USERS\\" + classes + "\\";
    // A signed-in user's classes are loaded already, under the name they are shown by.
    if (Opens(registry, classes)) {
      clean({kHkeyUsers, classes + "\\", display});
      continue;
    }
    CleanSignedOutUser({registry, hives, fs, os}, account, clean, listWork);
  }
}

}  // namespace qc
