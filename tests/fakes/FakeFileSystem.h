// An in-memory file system that keeps the rules of Windows this program relies on, as
// Microsoft documents them, which a kinder fake (and Wine) would hide:
// - Only "X:\" is drive X's root. "X:" and "X:name" are relative to drive X's current
//   folder: the working folder on its drive, else the root (no "=X:" variable, as for a
//   service). A path with one leading backslash starts at the working drive's root, any
//   other relative path in the working folder. Every drive and "\\server\share" is there;
//   names ignore ASCII letter case and are listed in upper-cased order, as Wine lists.
// - Items are objects and names point to them: an open item stays the same item after a
//   rename or a swap of its name; a deleted one has no name left.
// - A reparse point keeps its data in the documented byte layout, and only a name
//   surrogate is a link. Calls by path follow the links on the way (and the last one where
//   Windows does); open items never do.
// - Windows' own profile links (AddProfileLink) are hidden, system, directory junctions
//   whose deny entry refuses everyone SYNCHRONIZE and listing on the link itself. An open
//   asking for either is refused, so, like the Windows adapter, OpenChild then opens the
//   link for its attributes only: its attributes, tag and target, nothing else.
// - A read-only file or folder, a folder that is not empty, an item in use (locked) and
//   one whose deletion is denied are not deleted; any open of an item can be refused with
//   a status of its own (refuseOpen). An item deleted while another program has it open
//   stays listed, refuses every open and keeps its folder from being deleted until that
//   program closes it (pending); ChildGone counts it gone, as the Windows adapter does.
// - A file may have more than one name (AddHardLink): its attributes belong to the file,
//   so a change through one name shows through every other; a deletion takes away the
//   name it was opened by. Only deleteIgnoresReadOnly (Windows 10 1809 and later) deletes
//   a read-only file without changing its attributes.
// - An item held (HoldBase, HoldChild: open without sharing its deletion) cannot be
//   renamed or deleted meanwhile, and cannot be held while it is in use.
// - An item with an opportunistic lock (oplocked) would make an open that breaks it wait
//   for its holder; the program's opens never wait, so such an open gets the item for its
//   attributes only, with its deletion refused as in use, and it cannot be held.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qc::test {

class FakeFileSystem final : public IFileSystem {
 public:
  struct Node {
    std::string name;  // as created; a root's is "X:" or "\\server\share"
    bool dir = false;
    std::uint32_t attributes = 0;
    std::string content;
    std::vector<std::uint8_t> reparseData;  // empty: no reparse point
    bool locked = false;                    // held open elsewhere: cannot be deleted
    bool denied = false;                    // its deletion is denied
    bool pending = false;                   // deleted, still open in another program
    bool deletionUndone = false;  // another program takes its deletion back: done, it stays
    bool unreadable = false;
    bool unlistable = false;
    bool denyListAndSynchronize = false;  // Everyone:(DENY)(S,RD) on the item itself
    bool oplocked = false;                // another program holds an opportunistic lock
    std::optional<Status> refuseOpen;     // every open of it fails with this
    std::map<std::string, std::shared_ptr<Node>> children;  // by upper-cased name
    Node* parent = nullptr;  // of its first name; null for a root and once deleted
    std::vector<std::pair<Node*, std::string>> otherNames;  // hard links: folder, name
    int holds = 0;                                          // held open items of it
    std::uint32_t Tag() const;
  };

  // Creation helpers; missing folders on the way are made, links on the way followed. An
  // item already there takes the new kind and attributes and keeps its contents.
  void AddFolder(const std::string& path, std::uint32_t attributes = 0);
  void AddFile(const std::string& path, const std::string& content = {},
               std::uint32_t attributes = 0);
  // A junction to an absolute target, or a symbolic link to a relative one.
  void AddLink(const std::string& path, const std::string& target);
  // A link as Windows makes in every profile since Vista (see the header comment).
  void AddProfileLink(const std::string& path, const std::string& target);
  // A reparse point that is no link (a cloud placeholder, a deduplicated file).
  void AddReparsePoint(const std::string& path, std::uint32_t tag, bool folder);
  // A further name at path of the file at existing.
  void AddHardLink(const std::string& path, const std::string& existing);
  // Moves the item, open or not, to a new name; false when to is taken or its folder gone.
  bool Rename(const std::string& from, const std::string& to);
  Node* Find(const std::string& path);  // without following a final link
  bool Exists(const std::string& path) { return Find(path) != nullptr; }
  // Every path below and including root (a drive's root itself left out), original
  // case, sorted by upper-cased path.
  std::vector<std::string> Tree(const std::string& root);

  // IFileSystem
  std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                            std::uint32_t selection) override;
  Attributes GetAttributes(const std::string& path) override;
  OpenedItem OpenBase(const std::string& path) override;
  OpenedItem HoldBase(const std::string& path) override;

  // Where the program was started: a service's, so that "C:" is never the root.
  std::string workingFolder = "C:\\Windows\\System32";
  std::vector<std::string> log;  // "list X\*.*", "rmfile X", "rmdir X", "rmlink X", "attr X", ...
  int openStreams = 0;           // streams currently open
  int maxOpenStreams = 0;
  // A path: opening it throws, as a failed allocation would.
  std::string throwIn;
  bool deleteIgnoresReadOnly = true;  // FileDispositionInformationEx: Windows 10 1809 and later

 private:
  friend class FakeItem;
  std::optional<std::string> Complete(const std::string& path) const;
  Node* Resolve(const std::string& path, bool followLast, int depth = 0);
  Node* Follow(const Node& link, int depth);
  Node* FolderOf(const std::string& path, std::string* name, bool create);
  Node* Place(const std::string& path, const Node& made);
  std::shared_ptr<Node> Shared(Node* node);
  std::string PathOf(const Node& node) const;
  std::vector<DirEntry> Entries(const Node& folder) const;
  OpenedItem OpenFolder(const std::string& path, bool hold);

  std::map<std::string, std::shared_ptr<Node>> roots_;  // by upper-cased name
};

}  // namespace qc::test
