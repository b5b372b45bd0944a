// An in-memory registry with Windows rules, for the key deletion tests.
#include "fakes/FakeRegistry.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "base/AsciiCase.h"

namespace qc::test {
namespace {

constexpr long kErrorInvalidParameter = 87;

bool IsHive(RegKey key) {
  return key == kHkeyLocalMachine || key == kHkeyClassesRoot || key == kHkeyCurrentUser ||
         key == kHkeyUsers;
}

bool IsRootId(const std::string& id) {
  return id == "HKLM" || id == "HKCR" || id == "HKCU" || id == "HKU";
}

std::string HiveName(RegKey hive) {
  if (hive == kHkeyCurrentUser) return "HKCU";
  if (hive == kHkeyUsers) return "HKU";
  return hive == kHkeyLocalMachine ? "HKLM" : "HKCR";
}

std::string Join(const std::string& base, const std::string& name) {
  return name.empty() ? base : base + "\\" + name;
}

}  // namespace

FakeRegistry::FakeRegistry(bool classesRootIsMachineClasses)
    : classesAlias_(classesRootIsMachineClasses) {
  if (classesAlias_) AddKey(kHkeyLocalMachine, "SOFTWARE\\Classes");
}

FakeRegistry::FakeRegistry(ClassesRoot classesRoot)
    : FakeRegistry(classesRoot != ClassesRoot::OwnStore) {
  classesMerged_ = classesRoot == ClassesRoot::Merged;
}

std::string FakeRegistry::RootId(RegKey hive) const {
  if (hive == kHkeyClassesRoot) return classesAlias_ ? "HKLM\\SOFTWARE\\CLASSES" : "HKCR";
  return HiveName(hive);
}

std::string FakeRegistry::Id(RegKey hive, const std::string& path) const {
  return Join(RootId(hive), ToUpperAscii(path));
}

FakeRegistry::Key* FakeRegistry::FindKey(const std::string& id) {
  auto it = keys_.find(id);
  return it == keys_.end() ? nullptr : &it->second;
}

const FakeRegistry::Key* FakeRegistry::FindKey(const std::string& id) const {
  auto it = keys_.find(id);
  return it == keys_.end() ? nullptr : &it->second;
}

void FakeRegistry::AddKey(RegKey hive, const std::string& path) {
  std::string id = RootId(hive);
  std::string full = IsRootId(id) ? id : keys_.at(id).full;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    id = Join(id, ToUpperAscii(name));
    full = Join(full, name);
    if (!FindKey(id)) {
      Key& key = keys_[id];
      key.name = name;
      key.full = full;
      key.serial = nextSerial_++;
    }
    start = end + 1;
  }
}

FakeRegistry::Key& FakeRegistry::KeyAt(RegKey hive, const std::string& path) {
  return keys_.at(Id(hive, path));
}

bool FakeRegistry::Exists(RegKey hive, const std::string& path) const {
  return FindKey(Id(hive, path)) != nullptr;
}

std::vector<std::string> FakeRegistry::KeysBelow(RegKey hive, const std::string& path) const {
  const std::string prefix = Id(hive, path) + "\\";
  std::vector<std::string> out;
  for (const auto& [id, key] : keys_) {
    if (id.starts_with(prefix)) out.push_back(key.full);
  }
  return out;
}

void FakeRegistry::AddLink(RegKey hive, const std::string& path, RegKey targetHive,
                           const std::string& target) {
  AddKey(hive, path);
  KeyAt(hive, path).linkTo = Id(targetHive, target);
}

void FakeRegistry::DropKey(RegKey hive, const std::string& path) {
  const std::string id = Id(hive, path);
  std::erase_if(
      keys_, [&](const auto& key) { return key.first == id || key.first.starts_with(id + "\\"); });
}

void FakeRegistry::DenyDelete(RegKey hive, const std::string& path) {
  KeyAt(hive, path).denyDelete = true;
}
void FakeRegistry::DenyWrite(RegKey hive, const std::string& path) {
  KeyAt(hive, path).denyWrite = true;
}
void FakeRegistry::DenyOpen(RegKey hive, const std::string& path) {
  FailOpen(hive, path, kErrorAccessDenied);
}
void FakeRegistry::FailOpen(RegKey hive, const std::string& path, long status) {
  KeyAt(hive, path).openFailure = status;
}
void FakeRegistry::ComesBack(RegKey hive, const std::string& path, int times) {
  KeyAt(hive, path).comesBack = times;
}
void FakeRegistry::FailEnumAt(RegKey hive, const std::string& path, std::uint32_t index,
                              long status) {
  KeyAt(hive, path).enumFailures[index] = status;
}

// The key a handle or hive stands for. Returns ERROR_SUCCESS, ERROR_INVALID_HANDLE, or
// ERROR_KEY_DELETED when the key was deleted (or deleted and recreated) since opening.
long FakeRegistry::Resolve(RegKey key, std::string* id, std::string* display) const {
  if (IsHive(key)) {
    *id = RootId(key);
    *display = HiveName(key);
    return IsRootId(*id) || FindKey(*id) ? kErrorSuccess : kErrorKeyDeleted;
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) return kErrorInvalidHandle;
  *id = it->second.id;
  *display = it->second.display;
  const Key* k = FindKey(*id);
  if (IsRootId(*id)) return kErrorSuccess;
  return k && k->serial == it->second.serial ? kErrorSuccess : kErrorKeyDeleted;
}

std::vector<std::string> FakeRegistry::ChildIds(const std::string& id) const {
  const std::string prefix = id + "\\";
  std::vector<std::string> out;
  for (const auto& [childId, key] : keys_) {
    if (childId.starts_with(prefix) && childId.find('\\', prefix.size()) == std::string::npos) {
      out.push_back(childId);
    }
  }
  std::sort(out.begin(), out.end(), [this](const std::string& a, const std::string& b) {
    return keys_.at(a).serial < keys_.at(b).serial;
  });
  return out;
}

long FakeRegistry::Record(Call call) {
  if (log.size() >= callLimit) throw std::runtime_error("runaway: too many registry calls");
  log.push_back(call);
  return call.status;
}

long FakeRegistry::OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, RegKey* result) {
  if (throwOnOpen) throw std::bad_alloc();
  std::string id, display;
  long status = Resolve(parent, &id, &display);
  id = Join(id, ToUpperAscii(subKey));
  const std::string userCopy = Join("HKCU\\SOFTWARE\\CLASSES", ToUpperAscii(subKey));
  if (classesMerged_ && parent == kHkeyClassesRoot && FindKey(userCopy)) id = userCopy;
  display = Join(display, subKey);
  const Key* key = FindKey(id);
  if (key && !key->linkTo.empty() && !(options & kRegOptionOpenLink)) {
    id = key->linkTo;
    key = FindKey(id);
  }
  if (status != kErrorSuccess) {
  } else if (!key && !IsRootId(id)) {
    status = kErrorFileNotFound;
  } else if (key && key->openFailure != 0) {
    status = key->openFailure;
  } else if (key && key->denyWrite && (access & ~kKeyRead) != 0) {
    status = kErrorAccessDenied;
  } else {
    const RegKey handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = Handle{id, key ? key->serial : 0, display};
    maxOpenHandles = std::max(maxOpenHandles, handles_.size());
    *result = handle;
  }
  return Record({"open", display, status, IsHive(parent), access, options, 0});
}

long FakeRegistry::EnumKey(RegKey key, std::uint32_t index, std::string* name,
                           std::uint32_t bufferChars) {
  std::string id, display;
  long status = Resolve(key, &id, &display);
  if (status == kErrorSuccess) {
    const Key* k = FindKey(id);
    const std::vector<std::string> children = ChildIds(id);
    if (k && k->enumFailures.count(index)) {
      status = k->enumFailures.at(index);
    } else if (index >= children.size()) {
      status = kErrorNoMoreItems;
    } else if (keys_.at(children[index]).name.size() + 1 > bufferChars) {
      status = kErrorMoreData;  // the name and its NUL must fit
    } else {
      *name = keys_.at(children[index]).name;
    }
  }
  return Record({"enum", display, status, IsHive(key), 0, 0, index});
}

long FakeRegistry::DeleteOpenKey(RegKey key) {
  std::string id, display;
  long status = Resolve(key, &id, &display);
  Key* k = FindKey(id);
  if (status != kErrorSuccess) {
  } else if (IsHive(key) || !k) {
    status = kErrorInvalidParameter;  // a hive is never deleted
  } else if (k->denyDelete || !ChildIds(id).empty()) {
    status = kErrorAccessDenied;  // Windows refuses a key that still has subkeys
  } else if (k->comesBack > 0) {
    --k->comesBack;
    k->serial = nextSerial_++;  // a new key of that name: handles to the old one are stale
  } else {
    keys_.erase(id);
  }
  return Record({"delete", display, status, IsHive(key)});
}

long FakeRegistry::CloseKey(RegKey key) {
  auto it = handles_.find(key);
  if (it == handles_.end()) {
    ++badCloses;
    const bool hive = IsHive(key);
    return Record({"close", hive ? "hive" : "?", hive ? kErrorSuccess : kErrorInvalidHandle, hive});
  }
  const std::string display = it->second.display;
  handles_.erase(it);
  return Record({"close", display, kErrorSuccess});
}

std::vector<std::string> FakeRegistry::Paths(const std::string& op, bool onlySucceeded) const {
  std::vector<std::string> out;
  for (const Call& call : log) {
    if (call.op == op && (!onlySucceeded || call.status == kErrorSuccess)) {
      out.push_back(call.path);
    }
  }
  return out;
}

}  // namespace qc::test
