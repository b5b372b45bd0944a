// File-system services: folder listing and attributes by path, and items opened once for
// everything that reads or deletes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ReparseData.h"
#include "platform/Status.h"

namespace qc {

inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
// Listing selection: read-only, hidden, system files and sub-folders besides plain files.
inline constexpr std::uint32_t kListAll =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory;

// An entry's attribute bits, or why they could not be read. Only StatusCode::NotFound
// (Windows says "file not found" or "path not found") means that the entry is gone.
struct Attributes {
  Status status;
  std::uint32_t bits = 0;
  bool ok() const { return status.ok(); }
  bool gone() const { return status.code == StatusCode::NotFound; }
};

struct DirEntry {
  std::string name;  // bare name as listed, "." and ".." included
  std::uint32_t attributes = 0;
  std::uint32_t reparseTag = 0;  // of a reparse point, as listed; 0 when not known
};

// Whether an item with these attributes and reparse tag names another item (see
// IsLinkTag): such an item is deleted itself, never entered.
inline bool IsLink(std::uint32_t attributes, std::uint32_t reparseTag) {
  return (attributes & kAttrReparsePoint) != 0 && IsLinkTag(reparseTag);
}

// An item that a folder deletion left behind, and why.
struct Leftover {
  std::string path;
  bool folder = false;
  Status status;
};

// A folder deletion: its first failure, and every item that stayed for a reason of its
// own. A folder that stayed only because something inside it stayed is not listed.
struct TreeDeletion : Status {
  TreeDeletion() = default;
  TreeDeletion(const Status& status) : Status(status) {}  // NOLINT: a failure with no detail
  std::vector<Leftover> stayed;
};

// A file opened for reading, consumed front to back in blocks.
class IByteStream {
 public:
  virtual ~IByteStream() = default;
  // Reads up to size bytes; 0 at the end of the file, nullopt on a read error.
  virtual std::optional<std::size_t> Read(char* buffer, std::size_t size) = 0;
};

class IFileItem;

// What only DeleteItem can make: an item is marked for deletion by nothing else, so that
// no caller can mark one and forget to close it, or use it after.
class DeletionKey {
 private:
  DeletionKey() {}
  friend Status DeleteItem(std::unique_ptr<IFileItem>&& item, bool ignoringReadOnly,
                           std::optional<std::uint32_t> putBack);
};

// An item opened, or why it could not be: NotFound when no such name is there.
struct OpenedItem {
  Status status;
  std::unique_ptr<IFileItem> item;
};

// A file, folder or link opened once without following a link. Everything done to it goes
// through this one open item, never through its path again: a folder renamed or replaced
// by a link meanwhile changes nothing here.
class IFileItem {
 public:
  virtual ~IFileItem() = default;
  // The attribute bits read through the open item when it was opened.
  virtual std::uint32_t Attributes() const = 0;
  // A reparse point's tag, read with the attributes; 0 for any other item or when unknown.
  virtual std::uint32_t ReparseTag() const = 0;
  // How many names the file has (hard links), read with the attributes; 0 when unknown.
  // Its attributes belong to the file, not to one name: changed through one, they change
  // for every other name too.
  virtual std::uint32_t LinkCount() const = 0;
  // A folder's entries, "." and ".." left out; nullopt when it cannot be listed.
  virtual std::optional<std::vector<DirEntry>> List() = 0;
  // The entry name of this folder, opened relative to it; a link is opened itself. An item
  // whose open would have to wait for another program to give up an opportunistic lock is
  // opened for its attributes only, and its deletion is refused as in use.
  virtual OpenedItem OpenChild(const std::string& name) = 0;
  // The same, but held: opened for listing and opening below only, and without letting
  // anybody delete it, so that while it is open nobody can rename, replace or delete it.
  // Refused (in use) while another program has it open in a way that lets it do so. One
  // of Windows' own profile links is opened as by OpenChild, for its target.
  virtual OpenedItem HoldChild(const std::string& name) = 0;
  // The file's bytes, front to back; null for a folder or an unreadable file. The stream
  // reads through this item and must not outlive it.
  virtual std::unique_ptr<IByteStream> Read() = 0;
  // Sets the attribute bits (0: none at all).
  virtual Status SetAttributes(std::uint32_t attributes) = 0;
  // Marks the item for deletion, done when it is closed (see DeleteItem): a link goes,
  // never its target; a read-only item, a folder that is not empty and a running program
  // are refused. ignoringReadOnly: a read-only file goes too, its attributes unchanged,
  // where Windows can (Windows 10 1809 and later, on NTFS); elsewhere it is refused.
  virtual Status MarkForDeletion(const DeletionKey& key, bool ignoringReadOnly) = 0;
  // True only when name no longer opens in this folder (a deletion still pending counts).
  virtual bool ChildGone(const std::string& name) = 0;
  // A junction's or symbolic link's target as stored in it; nullopt when this is no link
  // or the target cannot be read. An item opened for nothing but this (one of Windows'
  // own profile links, which refuse everything else) serves this and its attributes only.
  virtual std::optional<LinkData> LinkTarget() = 0;
};

// Whether an open item names another item; its tag is asked for only of a reparse point.
inline bool IsLink(const IFileItem& item) {
  return (item.Attributes() & kAttrReparsePoint) != 0 && IsLinkTag(item.ReparseTag());
}

// Deletes an open item: marks it and closes it, which is when Windows deletes it. The item
// is taken, so that nothing uses it after its deletion and none stays open; whether its
// name is gone is asked of its folder. putBack: the attributes it gets back when the
// deletion is refused for a reason the next restart would not overcome (anything but in
// use or a folder not empty: Windows deletes at the restart by name and refuses a
// read-only item then too).
inline Status DeleteItem(std::unique_ptr<IFileItem>&& item, bool ignoringReadOnly = false,
                         std::optional<std::uint32_t> putBack = std::nullopt) {
  const std::unique_ptr<IFileItem> taken = std::move(item);
  const Status removal = taken->MarkForDeletion(DeletionKey(), ignoringReadOnly);
  const bool mayGoAtRestart =
      removal.code == StatusCode::InUse || removal.code == StatusCode::NotEmpty;
  if (putBack && !removal.ok() && !mayGoAtRestart) taken->SetAttributes(*putBack);
  return removal;
}

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Opens a base folder (a drive's root "X:\", a share's "\\server\share\", a profile
  // folder), following it when it is a link: whoever could move it could change the whole
  // machine anyway. The path must be absolute: "X:" alone is drive X's current folder.
  virtual OpenedItem OpenBase(const std::string& path) = 0;
  // The same base folder, held as IFileItem::HoldChild holds its items.
  virtual OpenedItem HoldBase(const std::string& path) = 0;
  // Lists pattern (a folder path + "\*.*") with the attribute selection; nullopt
  // when the folder cannot be listed.
  virtual std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                                    std::uint32_t selection) = 0;
  virtual Attributes GetAttributes(const std::string& path) = 0;
};

}  // namespace qc
