// Seeded random folder trees for the shortcut scan: names built from the product's
// fragments, ".lnk", dots and mixed letter case; agent and non-agent shortcuts;
// read-only, locked and unreadable files; links to folders outside. Each run is checked
// against a small model of the selection rules and against what the file system shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeResults.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {
namespace {

using namespace std::string_literals;

const std::string kScan = "C:\\Users\\Ann\\Desktop";
const std::string kFragments[] = {"Kelvora Quenzor Plexarium by Norvane",
                                  "Kelvora Quenzor Plexarium", ""};

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  return s;
}

bool Has(const std::string& text, const std::string& part) {
  return Upper(text).find(Upper(part)) != std::string::npos;
}

enum class Kind { File, Folder, Link };

struct Entry {
  std::string name;
  Kind kind = Kind::File;
  std::string content;
  std::uint32_t attributes = 0;
  bool locked = false;
  bool unreadable = false;
  bool unlistable = false;
  std::vector<Entry> children;
};

class TreeMaker {
 public:
  explicit TreeMaker(std::uint32_t seed) : rng_(seed) {}

  std::vector<Entry> Children(int depth) {
    std::vector<Entry> out;
    std::set<std::string> taken;  // names differing only in case are the same entry
    const int count = int(rng_() % (depth == 0 ? 9 : 5));
    for (int i = 0; i < count; ++i) {
      Entry e = MakeEntry(depth);
      if (taken.insert(Upper(e.name)).second) out.push_back(std::move(e));
    }
    return out;
  }
  std::vector<std::string> linkTargets;

 private:
  std::string Cased(const std::string& s) {
    std::string out = s;
    const unsigned mode = rng_() % 3;  // as written, upper, or mixed
    for (char& c : out) {
      if (mode == 1 || (mode == 2 && rng_() % 2)) c = Upper(std::string(1, c))[0];
      if (mode == 2 && rng_() % 2 && c >= 'A' && c <= 'Z') c = char(c + 32);
    }
    return out;
  }
  std::string Name() {
    static const char* kParts[] = {"Kelvora Quenzor Plexarium by Norvane",
                                   "Kelvora Quenzor Plexarium",
                                   "Kelvora Quenzor",
                                   " by Norvane",
                                   ".lnk",
                                   ".LNK",
                                   "lnk",
                                   ".",
                                   "Readme",
                                   " ",
                                   ".txt",
                                   "KVAGENT.EXE",
                                   "Plexarium"};
    std::string name;
    const int parts = 1 + int(rng_() % 3);
    for (int i = 0; i < parts; ++i) name += Cased(kParts[rng_() % std::size(kParts)]);
    if (name == "." || name == "..") name += "x";
    return name;
  }
  std::string Content() {
    switch (rng_() % 5) {
      case 0:
        return "L\0\0\0\x01\x14"s + Cased("C:\\Norvane\\KVAGENT.EXE") + "\0"s;
      case 1:
        return "L\0\0\0K\0V\0A\0G\0E\0N\0T\0.\0E\0X\0E\0"s;  // UTF-16 only: no match
      case 2:
        return "L\0\0\0C:\\Norvane\\KVVIEW.EXE\0"s;
      case 3:
        return "KVAGENT.EX\nE";
      default:
        return {};
    }
  }
  Entry MakeEntry(int depth) {
    Entry e;
    e.name = Name();
    const unsigned kind = rng_() % 10;
    if (kind < 2) {
      e.kind = Kind::Link;
      // Targets hold content: an empty target would hide a link that was followed.
      const std::string target = "C:\\Elsewhere\\T" + std::to_string(linkTargets.size());
      linkTargets.push_back(target);
      e.content = target;
      e.locked = rng_() % 8 == 0;
    } else if (kind < 5 && depth < 3) {
      e.kind = Kind::Folder;
      e.attributes = rng_() % 5 == 0 ? kAttrReadOnly : 0;
      e.locked = rng_() % 10 == 0;
      e.unlistable = rng_() % 15 == 0;
      e.children = Children(depth + 1);
    } else {
      e.content = Content();
      static const std::uint32_t kAttrs[] = {0, 0, kAttrReadOnly, kAttrHidden | kAttrSystem,
                                             kAttrReadOnly | kAttrHidden};
      e.attributes = kAttrs[rng_() % std::size(kAttrs)];
      e.locked = rng_() % 10 == 0;
      e.unreadable = rng_() % 12 == 0;
    }
    return e;
  }

  std::mt19937 rng_;
};

void Build(FakeFileSystem& fs, const std::string& dir, const std::vector<Entry>& entries,
           std::vector<std::string>& links) {
  for (const Entry& e : entries) {
    const std::string path = dir + "\\" + e.name;
    if (e.kind == Kind::Link) {
      fs.AddLink(path, e.content);
      links.push_back(path);
    } else if (e.kind == Kind::Folder) {
      fs.AddFolder(path, e.attributes);
      Build(fs, path, e.children, links);
    } else {
      fs.AddFile(path, e.content, e.attributes);
    }
    FakeFileSystem::Node* node = fs.Find(path);
    node->locked = e.locked;
    node->unreadable = e.unreadable;
    node->unlistable = e.unlistable;
  }
}

// The selection rules, stated apart from the code: a path holding ".LNK" is judged by
// its contents alone (only a readable file can name the agent), any other by the fragment.
bool Selected(const std::string& path, const Entry& e, const std::string& tofind) {
  if (Has(path, ".LNK")) {
    return e.kind == Kind::File && !e.unreadable && Has(e.content, "KVAGENT.EXE");
  }
  return Has(path, tofind);
}

// What the scan should do: the lines in order and every path it should make disappear.
// Returns whether every entry of the folder ends up gone.
bool Expect(const std::string& dir, std::vector<Entry> entries, const std::string& tofind,
            std::vector<std::string>& lines, std::set<std::string>& gone) {
  std::sort(entries.begin(), entries.end(),  // listing order: upper-cased names
            [](const Entry& a, const Entry& b) { return Upper(a.name) < Upper(b.name); });
  bool allGone = true;
  for (const Entry& e : entries) {
    const std::string path = dir + "\\" + e.name;
    if (!Selected(path, e, tofind)) {
      allGone = false;
      continue;
    }
    std::vector<std::string> inner;
    bool removed = !e.locked;
    if (e.kind == Kind::Folder) {
      const std::vector<Entry> seen = e.unlistable ? std::vector<Entry>{} : e.children;
      removed =
          Expect(path, seen, tofind, inner, gone) && seen.size() == e.children.size() && !e.locked;
    }
    const bool file = e.kind == Kind::File;
    lines.push_back((file ? (removed ? "File Deleted: " : "File Not Deleted: ")
                          : (removed ? "Directory Removed: " : "Directory Not Removed: ")) +
                    path);
    lines.insert(lines.end(), inner.begin(), inner.end());
    if (removed) gone.insert(Upper(path));
    allGone = allGone && removed;
  }
  return allGone;
}

// Upper-cased path -> attributes, bytes and link target of every entry on the drive.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take(FakeFileSystem& fs) {
  Snapshot s;
  for (const std::string& path : fs.Tree("C:\\")) {
    const FakeFileSystem::Node* n = fs.Find(path);
    s[Upper(path)] = std::to_string(n->attributes) + "|" + n->content + "|" +
                     std::string(n->reparseData.begin(), n->reparseData.end());
  }
  return s;
}

bool Inside(const std::string& upperPath, const std::string& folder) {
  return upperPath.starts_with(Upper(folder) + "\\");
}

TEST(ShortcutScanProperty, RandomTreesLoseOnlySelectedEntriesAndReportEachTruthfully) {
  for (std::uint32_t seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TreeMaker maker(seed);
    const std::vector<Entry> tree = maker.Children(0);
    const std::string tofind = kFragments[seed % 3];
    FakeFileSystem fs;
    fs.AddFolder(kScan);
    // Beside the scan folder: names that hold the fragments, and a sibling whose path
    // begins with the scan folder's own text.
    fs.AddFile("C:\\Users\\Ann\\Kelvora Quenzor Plexarium by Norvane.txt", "x");
    fs.AddFile(kScan + " Kelvora Quenzor Plexarium by Norvane\\a.lnk", "KVAGENT.EXE");
    for (const std::string& target : maker.linkTargets) {
      fs.AddFile(target + "\\Kelvora Quenzor Plexarium by Norvane.lnk", "KVAGENT.EXE");
    }
    std::vector<std::string> links;
    Build(fs, kScan, tree, links);
    const Snapshot before = Take(fs);

    RecordingSink list;
    SearchDirDel(fs, list, kScan, tofind, noRestart);

    std::vector<std::string> lines;
    std::set<std::string> gone;
    Expect(kScan, tree, tofind, lines, gone);
    EXPECT_EQ(list.lines, lines);
    const Snapshot after = Take(fs);
    ASSERT_TRUE(fs.Exists(kScan) && fs.Find(kScan)->dir);
    for (const auto& [path, state] : before) {
      if (!Inside(path, kScan)) {
        // Outside the scan folder, link targets included, nothing changes at all.
        EXPECT_EQ(after.count(path) ? after.at(path) : "<gone>", state) << path;
      } else {
        EXPECT_EQ(after.count(path) == 0, gone.count(path) == 1) << path;
      }
    }
    EXPECT_EQ(after.size() + gone.size(), before.size());
    // Every line tells the truth about its path, whatever the model says.
    for (const std::string& line : list.lines) {
      const std::size_t colon = line.find(": ");
      const bool claimsGone = line.find(" Not ") == std::string::npos;
      EXPECT_EQ(claimsGone, !fs.Exists(line.substr(colon + 2))) << line;
    }
    // Links are removed, never entered; at most one shortcut is open at a time.
    for (const std::string& entry : fs.log) {
      for (const std::string& link : links) EXPECT_FALSE(Has(entry, link + "\\")) << entry;
      for (const std::string& target : maker.linkTargets) EXPECT_FALSE(Has(entry, target)) << entry;
    }
    EXPECT_LE(fs.maxOpenStreams, 1);
    EXPECT_EQ(fs.openStreams, 0);
  }
}

}  // namespace
}  // namespace qc::test
