// An in-memory registry with Windows rules: case-insensitive key names, symbolic links,
// keys that refuse access or deletion or that something writes back, injected failures,
// a log of every call and a count of the handles still open.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/UserHives.h"

namespace qc::test {

inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorKeyDeleted = 1018;

class FakeRegistry final : public IRegistry {
 public:
  // One registry call as it was made. `path` is the caller's view: "HKLM\..." or
  // "HKCR\..." followed by the texts passed, in the caller's letter case.
  struct Call {
    std::string op;  // "open", "enum", "delete", "close"
    std::string path;
    long status = 0;
    bool onHive = false;        // the call was made on a hive, not on an opened key
    std::uint32_t access = 0;   // open
    std::uint32_t options = 0;  // open
    std::uint32_t index = 0;    // enum
  };

  // classesRootIsMachineClasses: HKEY_CLASSES_ROOT shows HKLM\SOFTWARE\Classes (as
  // under Wine, or a machine without per-user registrations); otherwise it is a
  // store of its own, like per-user registrations that outlive the machine's.
  explicit FakeRegistry(bool classesRootIsMachineClasses = true);
  // Merged: as on Windows, HKEY_CLASSES_ROOT\X opens the user's own copy
  // (HKCU\Software\Classes\X) when there is one, else the machine's; keys added under it
  // are the machine's.
  enum class ClassesRoot { MachineClasses, OwnStore, Merged };
  explicit FakeRegistry(ClassesRoot classesRoot);

  // Creates the key and any missing parents; enumeration follows creation order.
  void AddKey(RegKey hive, const std::string& path);
  bool Exists(RegKey hive, const std::string& path) const;
  // Every key strictly below path, original letter case, in "HKLM\..." form.
  std::vector<std::string> KeysBelow(RegKey hive, const std::string& path) const;

  // A symbolic link key, without subkeys. Opened without kRegOptionOpenLink it opens its
  // target; the tests never open a path that passes through one.
  void AddLink(RegKey hive, const std::string& path, RegKey targetHive, const std::string& target);
  void DenyDelete(RegKey hive, const std::string& path);             // deletion: access denied
  void DenyWrite(RegKey hive, const std::string& path);              // opens beyond KEY_READ fail
  void DenyOpen(RegKey hive, const std::string& path);               // every open: access denied
  void FailOpen(RegKey hive, const std::string& path, long status);  // every open: status
  // Something writes the key back, empty, after each of its next `times` deletions.
  void ComesBack(RegKey hive, const std::string& path, int times);
  // Enumerating the key at this index (and only there) returns status.
  void FailEnumAt(RegKey hive, const std::string& path, std::uint32_t index, long status);
  // Takes the key and everything below it away without a call (a hive unloaded).
  void DropKey(RegKey hive, const std::string& path);

  // IRegistry
  long OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string* name,
               std::uint32_t bufferChars) override;
  long DeleteOpenKey(RegKey key) override;
  long CloseKey(RegKey key) override;

  // Paths of the calls of one kind, optionally only those that returned 0.
  std::vector<std::string> Paths(const std::string& op, bool onlySucceeded = false) const;
  std::size_t OpenHandles() const { return handles_.size(); }

  std::vector<Call> log;
  std::size_t maxOpenHandles = 0;
  int badCloses = 0;         // closes of a hive or of a handle that was not open
  bool throwOnOpen = false;  // every open throws, as a failed allocation would
  // A walk that never ends fails the test at once instead of only making it slow.
  std::size_t callLimit = 100000;

 private:
  struct Key {
    std::string name;  // own name, original letter case
    std::string full;  // "HKLM\..." in the letter case of creation
    std::uint64_t serial = 0;
    bool denyDelete = false;
    bool denyWrite = false;
    long openFailure = 0;  // the status of every open, when not 0
    int comesBack = 0;
    std::string linkTo;  // a link: the id of its target
    std::map<std::uint32_t, long> enumFailures;
  };
  struct Handle {
    std::string id;        // upper-cased full key id
    std::uint64_t serial;  // tells a recreated key from the one that was opened
    std::string display;   // caller's view, for the log
  };

  std::string RootId(RegKey hive) const;
  std::string Id(RegKey hive, const std::string& path) const;
  Key* FindKey(const std::string& id);
  const Key* FindKey(const std::string& id) const;
  Key& KeyAt(RegKey hive, const std::string& path);
  long Resolve(RegKey key, std::string* id, std::string* display) const;
  std::vector<std::string> ChildIds(const std::string& id) const;
  long Record(Call call);

  bool classesAlias_;
  bool classesMerged_ = false;
  std::map<std::string, Key> keys_;  // by upper-cased id: "HKLM\SOFTWARE\..."
  std::map<RegKey, Handle> handles_;
  std::uint64_t nextSerial_ = 1;
  RegKey nextHandle_ = 0x1000;
};

// Hive files by path, each a list of keys that a load adds below HKU\<name>. An unload
// is refused while any key is open, as Windows refuses it while one in the hive is, and
// refuseUnloads times more (another program with a key in it open); it takes the hive's
// keys away. calls records "load <name> <file>", "unload <name>" and "pause <ms>", and
// onCall is called at every load and unload.
class FakeUserHives final : public IUserHives {
 public:
  explicit FakeUserHives(FakeRegistry& registry) : registry_(registry) {}
  long LoadHive(const std::string& name, const std::string& file) override {
    calls.push_back("load " + name + " " + file);
    if (onCall) onCall();
    if (failures.count(file)) return failures[file];
    if (!files.count(file)) return kErrorFileNotFound;
    for (const std::string& key : files[file]) registry_.AddKey(kHkeyUsers, name + "\\" + key);
    loaded.insert(name);
    return kErrorSuccess;
  }
  long UnloadHive(const std::string& name) override {
    calls.push_back("unload " + name);
    if (onCall) onCall();
    if (registry_.OpenHandles() != 0) return kErrorAccessDenied;
    if (refuseUnloads > 0) {
      --refuseUnloads;
      return kErrorAccessDenied;
    }
    left[name] = registry_.KeysBelow(kHkeyUsers, name);
    registry_.DropKey(kHkeyUsers, name);
    return loaded.erase(name) ? kErrorSuccess : kErrorFileNotFound;
  }
  void Pause(std::uint32_t milliseconds) override {
    calls.push_back("pause " + std::to_string(milliseconds));
  }
  std::map<std::string, std::vector<std::string>> files;
  std::map<std::string, long> failures;                  // by file: the status of its load
  std::set<std::string> loaded;                          // names loaded now
  std::map<std::string, std::vector<std::string>> left;  // what each unload left in its hive
  std::vector<std::string> calls;
  int refuseUnloads = 0;
  std::function<void()> onCall;

 private:
  FakeRegistry& registry_;
};

}  // namespace qc::test
