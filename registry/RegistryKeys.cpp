// Deleting one registry key together with every key below it.
#include "registry/RegistryKeys.h"

#include <cstdint>
#include <vector>

#include "registry/OpenKey.h"

namespace qc {
namespace {

constexpr std::uint32_t kNameBufferChars = 256;
// Every key of the walk is opened as itself: a symbolic link is then never entered and
// is deleted as the link, so another program's keys behind it are never reached.
constexpr std::uint32_t kWalkOptions = kRegOptionOpenLink;
// HKEY_CLASSES_ROOT shows a user's own registration in front of the machine's copy of the
// same name: deleting the one uncovers the other. Two copies is all Windows merges; the
// spare round is for a key that something else writes back, and then the walk gives up.
constexpr int kClassesRootRounds = 3;

std::string HivePrefix(RegKey hive) {
  if (hive == kHkeyLocalMachine) return "HKEY_LOCAL_MACHINE\\";
  if (hive == kHkeyClassesRoot) return "HKEY_CLASSES_ROOT\\";
  if (hive == kHkeyCurrentUser) return "HKEY_CURRENT_USER\\";
  if (hive == kHkeyUsers) return "HKEY_USERS\\";
  return {};  // no other hive is ever passed
}

// The names of the key's subkeys, taken completely before anything below it changes:
// deleting while enumerating would shift the indexes and skip keys.
std::vector<std::string> CollectSubkeyNames(IRegistry& registry, RegKey key) {
  std::vector<std::string> names;
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    if (registry.EnumKey(key, index, &name, kNameBufferChars) != kErrorSuccess) break;
    names.push_back(std::move(name));
  }
  return names;
}

// Whether the name still opens. Only "not found" says that it is gone: "access refused"
// proves that it exists, and any other failure (a damaged hive, no memory) leaves it
// unknown, which must not read as deleted.
bool KeyStillExists(IRegistry& registry, RegKey hive, const std::string& path) {
  const OpenKey key(registry, hive, path, kWalkOptions, kKeyRead);
  return key.status() != kErrorFileNotFound && key.status() != kErrorPathNotFound;
}

// Deletes every key below the open key, deepest first, each through its own handle.
// One handle per level of the descent is open at a time.
void EmptyKey(IRegistry& registry, const OpenKey& key) {
  for (const std::string& name : CollectSubkeyNames(registry, key.get())) {
    const OpenKey subkey(registry, key.get(), name, kWalkOptions, kKeyAllAccess);
    // One that cannot be opened or deleted stays; the rest still go.
    if (!subkey.ok()) continue;
    EmptyKey(registry, subkey);
    registry.DeleteOpenKey(subkey.get());
  }
}

long DeleteTree(IRegistry& registry, RegKey hive, const std::string& path) {
  const OpenKey key(registry, hive, path, kWalkOptions, kKeyAllAccess);
  if (!key.ok()) return key.status();
  EmptyKey(registry, key);
  return registry.DeleteOpenKey(key.get());
}

}  // namespace

void DeleteRegistryKey(IRegistry& registry, IResultsSink& listWork, RegKey hive,
                       const std::string& keyPath) {
  DeleteRegistryKey(registry, listWork, hive, keyPath, HivePrefix(hive) + keyPath);
}

void DeleteRegistryKey(IRegistry& registry, IResultsSink& listWork, RegKey hive,
                       const std::string& keyPath, const std::string& display) {
  std::string path = keyPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path names the hive itself: emptying it would wipe the whole hive.
  if (path.empty()) return;

  bool deleted = DeleteTree(registry, hive, path) == kErrorSuccess;
  if (!deleted && !KeyStillExists(registry, hive, path)) return;  // it was never there
  if (deleted && hive == kHkeyClassesRoot) {
    for (int round = 1; round < kClassesRootRounds && KeyStillExists(registry, hive, path);
         ++round) {
      DeleteTree(registry, hive, path);
    }
    deleted = !KeyStillExists(registry, hive, path);
  }
  if (deleted) {
    listWork.Add(kKeyDeletedPrefix + display, Outcome::Success);
  } else {
    listWork.Add(kKeyNotDeletedPrefix + display, Outcome::Failure);
  }
}

}  // namespace qc
