// Seeded random registries for the key deletion: random trees with names that are
// prefixes of each other, mixed letter case, 255-character names, keys that refuse
// deletion, writing or opening, and enumerations that fail midway. Each run is checked
// against a model of what a depth-first deletion can remove, and for its handles.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeRegistry.h"
#include "fakes/FakeResults.h"
#include "registry/RegistryKeys.h"

namespace qc::test {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  return s;
}

// One key of the generated tree, with the obstacles put on it.
struct Key {
  std::string path;  // below HKLM, as created
  std::vector<std::size_t> children;
  bool denyDelete = false, denyWrite = false, denyOpen = false;
  long failEnumAt = -1;
};

class RegistryMaker {
 public:
  explicit RegistryMaker(std::uint32_t seed) : rng(seed) {}

  // Keys below SOFTWARE, and below SOFTWARE\Classes, which HKEY_CLASSES_ROOT shows.
  void Make(FakeRegistry& reg, bool obstacles) {
    keys.push_back({"SOFTWARE", {}});
    keys.push_back({"SOFTWARE\\Classes", {}});
    keys[0].children.push_back(1);
    Grow(0, 0);
    Grow(1, 1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      Key& k = keys[i];
      reg.AddKey(kHkeyLocalMachine, k.path);
      if (!obstacles || i < 2) continue;
      if (rng() % 12 == 0) k.denyDelete = true, reg.DenyDelete(kHkeyLocalMachine, k.path);
      if (rng() % 15 == 0) k.denyWrite = true, reg.DenyWrite(kHkeyLocalMachine, k.path);
      if (rng() % 25 == 0) k.denyOpen = true, reg.DenyOpen(kHkeyLocalMachine, k.path);
      if (rng() % 12 == 0 && !k.children.empty()) {
        k.failEnumAt = long(rng() % k.children.size());
        reg.FailEnumAt(kHkeyLocalMachine, k.path, std::uint32_t(k.failEnumAt), 1 + rng() % 300);
      }
    }
  }

  std::mt19937 rng;
  std::vector<Key> keys;

 private:
  std::string Name() {
    static const char* kNames[] = {"Kelvora", "kelvora", "Kel", "Kelvora2", "Norvane",
                                   "Quenzor", "a",       "A b", "x.y",      "Kelvora.Agent"};
    if (rng() % 40 == 0) return std::string(255, char('a' + rng() % 26));  // longest allowed
    return kNames[rng() % std::size(kNames)];
  }
  void Grow(std::size_t parent, int depth) {
    const int count = depth > 4 ? 0 : int(rng() % (depth < 2 ? 6 : 4));
    std::set<std::string> taken;
    for (int i = 0; i < count; ++i) {
      const std::string name = Name();
      if (!taken.insert(Upper(name)).second || Upper(name) == "CLASSES") continue;
      keys.push_back({keys[parent].path + "\\" + name, {}});
      const std::size_t child = keys.size() - 1;
      keys[parent].children.push_back(child);
      Grow(child, depth + 1);
    }
  }
};

// Whether a depth-first deletion removes key i, collecting every key it removes. A key
// goes through its own handle, so only its own rights count, not its parent's.
bool Goes(const std::vector<Key>& keys, std::size_t i, std::set<std::string>& gone) {
  const Key& k = keys[i];
  if (k.denyOpen || k.denyWrite) return false;
  std::size_t collected = k.children.size();
  if (k.failEnumAt >= 0) collected = std::size_t(k.failEnumAt);
  for (std::size_t n = 0; n < collected; ++n) {
    if (Goes(keys, k.children[n], gone)) gone.insert(Upper(keys[k.children[n]].path));
  }
  for (std::size_t child : k.children) {
    if (!gone.count(Upper(keys[child].path))) return false;
  }
  return !k.denyDelete;
}

std::set<std::string> AllKeys(const FakeRegistry& reg) {
  std::set<std::string> out;
  for (const std::string& key : reg.KeysBelow(kHkeyLocalMachine, "")) out.insert(Upper(key));
  return out;
}

int DepthBelow(const std::vector<Key>& keys, std::size_t i) {
  int depth = 0;
  for (std::size_t child : keys[i].children) depth = std::max(depth, 1 + DepthBelow(keys, child));
  return depth;
}

// The path the caller passes, in a letter case of its own, and the display prefix.
std::string Spelled(std::mt19937& rng, const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (rng() % 3 == 0) c = (c >= 'a' && c <= 'z') ? char(c - 32) : char(std::tolower(c));
  }
  if (rng() % 4 == 0) out += "\\";
  return out;
}

void CheckOne(std::uint32_t seed, bool obstacles) {
  SCOPED_TRACE("seed " + std::to_string(seed) + (obstacles ? " with obstacles" : ""));
  FakeRegistry reg;
  RegistryMaker maker(seed);
  maker.Make(reg, obstacles);
  std::mt19937& rng = maker.rng;
  const std::vector<Key>& keys = maker.keys;
  const std::size_t target = 2 + rng() % (keys.size() > 2 ? keys.size() - 2 : 1);
  const bool missing = target >= keys.size() || rng() % 8 == 0;
  std::string path = missing ? "SOFTWARE\\Kelvora\\Gone" : keys[target].path;
  if (missing && rng() % 2) path = "SOFTWARE\\NoParent\\Gone";
  const bool classes = !missing && Upper(path).starts_with("SOFTWARE\\CLASSES\\") && rng() % 2;
  const RegKey hive = classes ? kHkeyClassesRoot : kHkeyLocalMachine;
  const std::string asPassed = Spelled(rng, classes ? path.substr(17) : path);
  const std::string display = (classes ? "HKEY_CLASSES_ROOT\\" : "HKEY_LOCAL_MACHINE\\") + asPassed;

  const std::set<std::string> before = AllKeys(reg);
  std::set<std::string> gone;
  bool deleted = false;
  if (!missing) {
    deleted = Goes(keys, target, gone);
    if (deleted) gone.insert(Upper(path));
  }
  std::set<std::string> expected;  // "HKLM\" + what stays
  for (const std::string& key : before) {
    if (!gone.count(key.substr(5))) expected.insert(key);
  }

  RecordingSink list;
  DeleteRegistryKey(reg, list, hive, asPassed);

  EXPECT_EQ(AllKeys(reg), expected);
  std::vector<std::string> lines;
  if (deleted) lines.push_back("Registry Key Deleted: " + display);
  if (!missing && !deleted) lines.push_back("Registry Key Not Deleted: " + display);
  EXPECT_EQ(list.lines, lines);
  EXPECT_EQ(reg.OpenHandles(), 0u);
  EXPECT_EQ(reg.badCloses, 0);
  // One handle per level of the descent, never more.
  if (!missing) {
    EXPECT_LE(reg.maxOpenHandles, std::size_t(DepthBelow(keys, target) + 1));
  }
  // Nothing outside the named subtree is ever asked to go.
  const std::string subtree = Upper("HKLM\\" + path);
  for (const std::string& deletedPath : reg.Paths("delete")) {
    std::string full = Upper(deletedPath);
    if (full.starts_with("HKCR\\")) full = "HKLM\\SOFTWARE\\CLASSES\\" + full.substr(5);
    EXPECT_TRUE(full == subtree || full.starts_with(subtree + "\\")) << deletedPath;
  }
}

TEST(RegistryProperty, DeletesExactlyTheNamedSubtreeOnRandomRegistries) {
  for (std::uint32_t seed = 1; seed <= 300; ++seed) CheckOne(seed, false);
}

TEST(RegistryProperty, ObstaclesLeaveWhatCannotGoAndReportTheKeyTruthfully) {
  for (std::uint32_t seed = 1000; seed <= 1400; ++seed) CheckOne(seed, true);
}

}  // namespace
}  // namespace qc::test
