// Seeded random folder trees for the folder deletion: only the named tree changes, links
// inside it (or the named folder being a link) are removed and never followed, locked
// files stay with their folders, and the one line tells the truth.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeResults.h"
#include "files/FileCleaner.h"

namespace qc::test {
namespace {

const std::string kTarget = "C:\\Data\\Kelvora Quenzor 5.5";

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  return s;
}

std::map<std::string, std::string> Snapshot(FakeFileSystem& fs) {
  std::map<std::string, std::string> out;
  for (const std::string& path : fs.Tree("C:\\")) {
    const FakeFileSystem::Node* n = fs.Find(path);
    out[Upper(path)] = std::to_string(n->attributes) + "|" + n->content + "|" +
                       std::string(n->reparseData.begin(), n->reparseData.end());
  }
  return out;
}

struct Made {
  std::vector<std::string> links, targets, locked;
};

void Grow(FakeFileSystem& fs, std::mt19937& rng, const std::string& dir, int depth, Made& made) {
  static const char* kNames[] = {"a", "B", "Kelvora", "x.lnk", "Data", "~tmp", "c d"};
  const int count = int(rng() % (depth == 0 ? 8 : 5));
  for (int i = 0; i < count; ++i) {
    const std::string path = dir + "\\" + kNames[rng() % std::size(kNames)] + std::to_string(i);
    const unsigned kind = rng() % 10;
    if (kind < 2) {
      const std::string target = "C:\\Elsewhere\\T" + std::to_string(made.targets.size());
      fs.AddFile(target + "\\keep.txt", "target content");  // a target is never empty
      fs.AddLink(path, target);
      made.links.push_back(path);
      made.targets.push_back(target);
    } else if (kind < 5 && depth < 3) {
      fs.AddFolder(path, rng() % 4 == 0 ? kAttrReadOnly | kAttrHidden : 0);
      Grow(fs, rng, path, depth + 1, made);
    } else {
      fs.AddFile(path, "bytes", rng() % 3 == 0 ? kAttrReadOnly : 0);
      if (rng() % 12 == 0) {
        fs.Find(path)->locked = true;
        made.locked.push_back(Upper(path));
      }
    }
  }
}

// Entries that must stay: locked files and every folder holding one, up to the target.
std::set<std::string> MustStay(const Made& made) {
  std::set<std::string> stay;
  for (std::string path : made.locked) {
    while (path.size() >= kTarget.size()) {
      stay.insert(path);
      path = path.substr(0, path.rfind('\\'));
    }
  }
  return stay;
}

std::string RandomSpelling(std::mt19937& rng, const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (rng() % 2 && c >= 'a' && c <= 'z') c = char(c - 32);
  }
  return rng() % 3 == 0 ? out + "\\" : out;
}

TEST(KillFolderProperty, OnlyTheNamedTreeChangesAndTheLineTellsTheTruth) {
  for (std::uint32_t seed = 1; seed <= 500; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    FakeFileSystem fs;
    Made made;
    // Neighbours whose names begin with the target's own text, and its parent's files.
    fs.AddFile(kTarget + "0\\keep.txt", "n");
    fs.AddFile("C:\\Data\\Kelvora Quenzor 5\\keep.txt", "n");
    fs.AddFile(kTarget + ".txt", "n");
    const unsigned shape = seed % 8;
    if (shape == 0) {
      // The named folder is itself a link: only the link may go.
      fs.AddFile("C:\\Elsewhere\\Real\\keep.txt", "target content");
      fs.AddLink(kTarget, "C:\\Elsewhere\\Real");
      made.targets.push_back("C:\\Elsewhere\\Real");
    } else if (shape != 1) {  // shape 1: the folder does not exist
      fs.AddFolder(kTarget, shape == 2 ? kAttrReadOnly : 0);
      Grow(fs, rng, kTarget, 0, made);
    }
    const bool existed = fs.Exists(kTarget);
    const auto before = Snapshot(fs);
    const std::set<std::string> stay = MustStay(made);

    RecordingSink list;
    const std::string asPassed = RandomSpelling(rng, kTarget);
    const bool result = KillFolder(fs, list, asPassed, noRestart);

    const auto after = Snapshot(fs);
    const std::string shown =
        asPassed.back() == '\\' ? asPassed.substr(0, asPassed.size() - 1) : asPassed;
    const bool gone = !fs.Exists(kTarget);
    for (const auto& [path, state] : before) {
      const bool inside = path == Upper(kTarget) || path.starts_with(Upper(kTarget) + "\\");
      if (!inside) {
        EXPECT_EQ(after.count(path) ? after.at(path) : "<gone>", state) << path;
      } else {
        EXPECT_EQ(after.count(path) == 1, stay.count(path) == 1) << path;
      }
    }
    if (!existed) {
      EXPECT_TRUE(list.lines.empty());
      EXPECT_FALSE(result);
      continue;
    }
    EXPECT_EQ(gone, stay.empty());
    EXPECT_EQ(list.lines, std::vector<std::string>{
                              (gone ? "Folder Deleted: " : "Folder Not Deleted: ") + shown});
    EXPECT_EQ(result, gone);
    for (const std::string& entry : fs.log) {
      for (const std::string& link : made.links) EXPECT_FALSE(entry.starts_with("list " + link));
      for (const std::string& target : made.targets) {
        EXPECT_EQ(Upper(entry).find(Upper(target)), std::string::npos) << entry;
      }
    }
  }
}

}  // namespace
}  // namespace qc::test
