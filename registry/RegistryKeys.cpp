// Deleting one registry key together with every key below it.
#include "registry/RegistryKeys.h"

#include <cstdint>
#include <vector>

namespace qc {
namespace {

constexpr std::uint32_t kNameBufferChars = 256;

std::string HivePrefix(RegKey hive) {
  if (hive == kHkeyLocalMachine) return "HKEY_LOCAL_MACHINE\\";
  if (hive == kHkeyClassesRoot) return "HKEY_CLASSES_ROOT\\";
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

// A key that is still there after a failed deletion. Opening for reading needs no
// more than the key's own read right; "access refused" also proves that it exists.
bool KeyStillExists(IRegistry& registry, RegKey hive, const std::string& path) {
  RegKey key = 0;
  const long status = registry.OpenKeyEx(hive, path, 0, kKeyRead, &key);
  if (status == kErrorSuccess) {
    registry.CloseKey(key);
    return true;
  }
  return status == kErrorAccessDenied;
}

// Deletes the key (which should have no subkeys left) through its parent, or through
// the hive when it lies directly under it. Returns the deletion's status.
long DeleteKeyThroughParent(IRegistry& registry, RegKey hive, const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return registry.DeleteKey(hive, path);

  RegKey parent = 0;
  const long opened = registry.OpenKeyEx(hive, path.substr(0, slash), 0, kKeyAllAccess, &parent);
  if (opened != kErrorSuccess) return opened;
  const long deleted = registry.DeleteKey(parent, path.substr(slash + 1));
  registry.CloseKey(parent);
  return deleted;
}

}  // namespace

void DeleteRegistryKey(IRegistry& registry, IResultsList& listWork, RegKey hive,
                       const std::string& keyPath) {
  const std::string display = HivePrefix(hive) + keyPath;
  std::string path = keyPath;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path names the hive itself: emptying it would wipe the whole hive.
  if (path.empty()) return;

  DeleteSubkeysRecursive(registry, hive, path);
  if (DeleteKeyThroughParent(registry, hive, path) == kErrorSuccess) {
    listWork.AddItem(kKeyDeletedPrefix + display);
  } else if (KeyStillExists(registry, hive, path)) {
    listWork.AddItem(kKeyNotDeletedPrefix + display);
  }
}

void DeleteSubkeysRecursive(IRegistry& registry, RegKey hive, const std::string& keyPath) {
  if (keyPath.empty()) return;  // the hive itself is never emptied
  RegKey key = 0;
  if (registry.OpenKeyEx(hive, keyPath, 0, kKeyAllAccess, &key) != kErrorSuccess) return;

  // Each subkey is reopened by its full path from the hive, so one handle per level
  // of the descent is open at a time.
  for (const std::string& name : CollectSubkeyNames(registry, key)) {
    DeleteSubkeysRecursive(registry, hive, keyPath + "\\" + name);
    registry.DeleteKey(key, name);  // one that stays is passed over; the rest still go
  }
  registry.CloseKey(key);
}

}  // namespace qc
