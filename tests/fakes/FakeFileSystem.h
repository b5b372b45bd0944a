// An in-memory file system with Windows rules: case-insensitive paths, attributes,
// read-only and locked files, links to folders, and a log of every change.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qc::test {

class FakeFileSystem final : public IFileSystem {
 public:
  struct Node {
    std::string path;  // as created, original letter case
    bool dir = false;
    std::uint32_t attributes = 0;
    std::string content;
    std::string linkTarget;  // non-empty: a link to this folder
    bool locked = false;     // held open elsewhere: cannot be deleted or removed
    bool denied = false;     // cannot be deleted: access denied
    bool unreadable = false;
    bool unlistable = false;
  };

  // Creation helpers; parents are created as needed.
  void AddFolder(const std::string& path, std::uint32_t attributes = 0);
  void AddFile(const std::string& path, const std::string& content = {},
               std::uint32_t attributes = 0);
  void AddLink(const std::string& path, const std::string& target);
  Node* Find(const std::string& path);  // without following a final link
  bool Exists(const std::string& path) { return Find(path) != nullptr; }
  // Every path below and including root, original case, sorted.
  std::vector<std::string> Tree(const std::string& root);

  // IFileSystem
  bool FolderExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                            std::uint32_t selection) override;
  Attributes GetAttributes(const std::string& path) override;
  std::unique_ptr<IByteStream> OpenRead(const std::string& path) override;
  OpenedItem OpenBase(const std::string& path) override;

  std::vector<std::string> log;  // "list X\*.*", "rmfile X", "rmdir X", "rmlink X", "attr X", ...
  int openStreams = 0;           // streams currently open
  int maxOpenStreams = 0;
  // A path: opening it throws, as a failed allocation would; "exists" or "list": that call.
  std::string throwIn;

 private:
  friend class FakeItem;
  std::string Resolve(const std::string& path, bool followLast);
  std::vector<std::string> ChildKeys(const std::string& key);
  void EnsureParents(const std::string& path);

  std::map<std::string, Node> nodes_;  // key: resolved, upper-cased path
};

}  // namespace qc::test
