// The in-memory file system of the unit tests.
#include "fakes/FakeFileSystem.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <tuple>

#include "base/AsciiCase.h"
#include "base/ReparseData.h"
#include "fakes/ReparseBytes.h"

namespace qc::test {
namespace {

using Node = FakeFileSystem::Node;

// An absolute path taken apart: "X:" or "\\server\share", and the names below it, with
// "." and ".." applied as Windows applies them to a path.
struct Parts {
  std::string root;
  std::vector<std::string> names;
};

std::optional<Parts> Split(const std::string& absolute) {
  std::size_t cut = 2;
  if (absolute.starts_with("\\\\")) {
    const std::size_t server = absolute.find('\\', 2);
    if (server == std::string::npos || server == 2) return std::nullopt;
    const std::string name = absolute.substr(2, server - 2);
    if (name == "?" || name == ".") return std::nullopt;  // no share: a device or volume
    cut = std::min(absolute.find('\\', server + 1), absolute.size());
    if (cut == server + 1) return std::nullopt;
  }
  Parts parts{absolute.substr(0, cut), {}};
  for (std::size_t start = cut; start < absolute.size();) {
    std::size_t end = std::min(absolute.find('\\', start), absolute.size());
    const std::string name = absolute.substr(start, end - start);
    if (name == "..") {
      if (!parts.names.empty()) parts.names.pop_back();
    } else if (!name.empty() && name != ".") {
      parts.names.push_back(name);
    }
    start = end + 1;
  }
  return parts;
}

// A node of the given kind; built field by field, which the compiler checks no less.
Node Made(bool dir, std::uint32_t attributes, std::string content = {},
          std::vector<std::uint8_t> reparseData = {}) {
  Node node;
  node.dir = dir;
  node.attributes = attributes;
  node.content = std::move(content);
  node.reparseData = std::move(reparseData);
  return node;
}

std::shared_ptr<Node> NewFolder(const std::string& name) {
  auto node = std::make_shared<Node>(Made(true, kAttrDirectory));
  node->name = name;
  return node;
}

bool IsLinkNode(const Node& node) { return !node.reparseData.empty() && IsLinkTag(node.Tag()); }

// The name that folder's entry key gives child: its first one or one of its others.
std::string NameIn(const Node& child, const Node& folder, const std::string& key) {
  for (const auto& [other, name] : child.otherNames) {
    if (other == &folder && ToUpperAscii(name) == key) return name;
  }
  return child.name;
}

class StringStream final : public IByteStream {
 public:
  StringStream(std::string data, int& open) : data_(std::move(data)), open_(open) { ++open_; }
  ~StringStream() override { --open_; }
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string data_;
  std::size_t pos_ = 0;
  int& open_;
};

}  // namespace

std::uint32_t Node::Tag() const {
  if (reparseData.size() < 4) return 0;
  return std::uint32_t(reparseData[0]) | std::uint32_t(reparseData[1]) << 8 |
         std::uint32_t(reparseData[2]) << 16 | std::uint32_t(reparseData[3]) << 24;
}

std::optional<std::string> FakeFileSystem::Complete(const std::string& path) const {
  if (path.empty()) return std::nullopt;
  if (path.starts_with("\\\\")) return path;
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  if (letter && path.size() >= 2 && path[1] == ':') {
    if (path.size() > 2 && path[2] == '\\') return path;
    // Drive-relative: from the drive's current folder.
    const bool working =
        ToUpperAscii(path.substr(0, 2)) == ToUpperAscii(workingFolder.substr(0, 2));
    const std::string current = working ? workingFolder : path.substr(0, 2) + "\\";
    return path.size() == 2 ? current : current + "\\" + path.substr(2);
  }
  if (path[0] == '\\') return workingFolder.substr(0, 2) + path;
  return workingFolder + "\\" + path;
}

FakeFileSystem::Node* FakeFileSystem::Resolve(const std::string& path, bool followLast, int depth) {
  const std::optional<std::string> absolute = Complete(path);
  const std::optional<Parts> parts = absolute ? Split(*absolute) : std::nullopt;
  if (!parts) return nullptr;
  std::shared_ptr<Node>& root = roots_[ToUpperAscii(parts->root)];
  if (!root) root = NewFolder(parts->root);
  Node* node = root.get();
  for (std::size_t i = 0; i < parts->names.size() && node != nullptr; ++i) {
    const auto it = node->children.find(ToUpperAscii(parts->names[i]));
    if (!node->dir || it == node->children.end()) return nullptr;
    node = it->second.get();
    if (IsLinkNode(*node) && (i + 1 < parts->names.size() || followLast)) {
      node = Follow(*node, depth);
    }
  }
  return node;
}

// Where a link leads, by path, as Windows follows it; nowhere for a loop.
FakeFileSystem::Node* FakeFileSystem::Follow(const Node& link, int depth) {
  const std::optional<LinkData> target =
      ParseReparseData(link.reparseData.data(), link.reparseData.size());
  if (!target || depth >= 8) return nullptr;
  std::string path = target->path;
  if (target->relative) {
    const std::string folder = PathOf(*link.parent);
    path = path.starts_with('\\') ? folder.substr(0, 2) + path : folder + "\\" + path;
  }
  return Resolve(path, true, depth + 1);
}

// The folder that path's last name is in (made on the way with create), and that name.
FakeFileSystem::Node* FakeFileSystem::FolderOf(const std::string& path, std::string* name,
                                               bool create) {
  const std::optional<std::string> absolute = Complete(path);
  const std::optional<Parts> parts = absolute ? Split(*absolute) : std::nullopt;
  if (!parts || parts->names.empty()) return nullptr;
  Node* folder = Resolve(parts->root + "\\", true);
  for (std::size_t i = 0; i + 1 < parts->names.size() && folder != nullptr && folder->dir; ++i) {
    const std::string key = ToUpperAscii(parts->names[i]);
    auto it = folder->children.find(key);
    if (it == folder->children.end() && !create) return nullptr;
    if (it == folder->children.end()) {
      it = folder->children.emplace(key, NewFolder(parts->names[i])).first;
      it->second->parent = folder;
    }
    folder = IsLinkNode(*it->second) ? Follow(*it->second, 0) : it->second.get();
  }
  *name = parts->names.back();
  return folder != nullptr && folder->dir ? folder : nullptr;
}

FakeFileSystem::Node* FakeFileSystem::Place(const std::string& path, const Node& made) {
  std::string name;
  Node* folder = FolderOf(path, &name, true);
  if (folder == nullptr) return nullptr;
  std::shared_ptr<Node>& slot = folder->children[ToUpperAscii(name)];
  std::map<std::string, std::shared_ptr<Node>> kept;
  if (slot) kept = std::move(slot->children);
  slot = std::make_shared<Node>(made);
  slot->name = name;
  slot->parent = folder;
  slot->children = std::move(kept);
  for (auto& [key, child] : slot->children) child->parent = slot.get();
  return slot.get();
}

void FakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
  Place(path, Made(true, attributes | kAttrDirectory));
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             std::uint32_t attributes) {
  Place(path, Made(false, attributes, content));
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  const bool absolute = target.starts_with("\\\\") || (target.size() > 1 && target[1] == ':');
  Place(path,
        Made(true, kAttrDirectory | kAttrReparsePoint, {},
             absolute ? MountPointBytes(target)
                      : ReparseBytes(kReparseTagSymlink, target, target, kSymlinkFlagRelative)));
}

void FakeFileSystem::AddProfileLink(const std::string& path, const std::string& target) {
  AddLink(path, target);
  Find(path)->attributes |= kAttrHidden | kAttrSystem;
  Find(path)->denyListAndSynchronize = true;
}

void FakeFileSystem::AddReparsePoint(const std::string& path, std::uint32_t tag, bool folder) {
  std::vector<std::uint8_t> data = ReparseBytes(tag, "", "");
  data.resize(8);  // the tag's own data is nobody's business here
  data[4] = data[5] = 0;
  Place(path, Made(folder, (folder ? kAttrDirectory : 0) | kAttrReparsePoint, {}, data));
}

void FakeFileSystem::AddHardLink(const std::string& path, const std::string& existing) {
  Node* file = Find(existing);
  std::string name;
  Node* folder = FolderOf(path, &name, true);
  if (file == nullptr || file->dir || folder == nullptr) return;
  folder->children[ToUpperAscii(name)] = Shared(file);
  file->otherNames.emplace_back(folder, name);
}

bool FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  Node* node = Find(from);
  std::string name;
  Node* folder = FolderOf(to, &name, false);
  if (node == nullptr || node->parent == nullptr || folder == nullptr || node->holds > 0 ||
      folder->children.count(ToUpperAscii(name))) {
    return false;
  }
  std::shared_ptr<Node> owned = node->parent->children[ToUpperAscii(node->name)];
  node->parent->children.erase(ToUpperAscii(node->name));
  node->name = name;
  node->parent = folder;
  folder->children[ToUpperAscii(name)] = std::move(owned);
  return true;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) { return Resolve(path, false); }

std::shared_ptr<Node> FakeFileSystem::Shared(Node* node) {
  if (node->parent != nullptr) return node->parent->children[ToUpperAscii(node->name)];
  return roots_[ToUpperAscii(node->name)];
}

std::string FakeFileSystem::PathOf(const Node& node) const {
  return node.parent == nullptr ? node.name : PathOf(*node.parent) + "\\" + node.name;
}

std::vector<DirEntry> FakeFileSystem::Entries(const Node& folder) const {
  std::vector<DirEntry> out{{".", kAttrDirectory}, {"..", kAttrDirectory}};
  for (const auto& [key, child] : folder.children) {
    out.push_back({NameIn(*child, folder, key), child->attributes, child->Tag()});
  }
  return out;
}

std::vector<std::string> FakeFileSystem::Tree(const std::string& root) {
  std::vector<std::string> out;
  const std::function<void(const Node&, const std::string&)> collect = [&](const Node& node,
                                                                           const std::string& at) {
    if (node.parent != nullptr || !node.otherNames.empty()) out.push_back(at);
    for (const auto& [key, child] : node.children) {
      collect(*child, at + "\\" + NameIn(*child, node, key));
    }
  };
  if (const Node* node = Find(root)) collect(*node, PathOf(*node));
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return ToUpperAscii(a) < ToUpperAscii(b);
  });
  return out;
}

std::optional<std::vector<DirEntry>> FakeFileSystem::List(const std::string& pattern,
                                                          std::uint32_t) {
  log.push_back("list " + pattern);
  const std::string suffix = "\\*.*";
  if (!pattern.ends_with(suffix)) return std::nullopt;
  const Node* node = Resolve(pattern.substr(0, pattern.size() - suffix.size()), true);
  if (node == nullptr || !node->dir || node->unlistable || node->refuseOpen) return std::nullopt;
  return Entries(*node);
}

Attributes FakeFileSystem::GetAttributes(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr) return {Status::Fail(StatusCode::NotFound, 2)};
  return {Status::Success(), node->attributes};
}

// An item of the fake: the node it was opened as, whatever names it later has, and the
// name it was opened by when that is another than the node's first. Deleting it takes
// that name away at once, as a deletion done at the close would. One opened for its
// attributes only (a profile link, an item with an opportunistic lock) serves its
// attributes, tag and target alone; a held one, no deletion.
class FakeItem final : public IFileItem {
 public:
  enum class Mode { Full, AttributesOnly, Oplocked, Held };
  using Name = std::pair<Node*, std::string>;  // folder, name
  FakeItem(FakeFileSystem& fs, std::shared_ptr<Node> node, Mode mode = Mode::Full,
           std::optional<Name> via = {})
      : fs_(fs), node_(std::move(node)), mode_(mode), via_(std::move(via)) {
    holding_ = mode_ == Mode::Held;
    if (holding_) ++node_->holds;
  }
  ~FakeItem() override {
    if (holding_) --node_->holds;
  }
  std::uint32_t Attributes() const override { return node_->attributes; }
  std::uint32_t ReparseTag() const override { return node_->Tag(); }
  std::uint32_t LinkCount() const override {
    return std::uint32_t((node_->parent != nullptr ? 1 : 0) + node_->otherNames.size());
  }
  std::optional<std::vector<DirEntry>> List() override {
    fs_.log.push_back("list " + fs_.PathOf(*node_) + "\\*.*");
    if (AttributesOnly() || !node_->dir || node_->unlistable) return std::nullopt;
    return fs_.Entries(*node_);
  }
  OpenedItem OpenChild(const std::string& name) override { return Open(name, false); }
  OpenedItem HoldChild(const std::string& name) override { return Open(name, true); }
  std::unique_ptr<IByteStream> Read() override {
    if (AttributesOnly() || node_->dir || node_->unreadable) return nullptr;
    fs_.log.push_back("read " + fs_.PathOf(*node_));
    auto stream = std::make_unique<StringStream>(node_->content, fs_.openStreams);
    fs_.maxOpenStreams = std::max(fs_.maxOpenStreams, fs_.openStreams);
    return stream;
  }
  Status SetAttributes(std::uint32_t attributes) override {
    if (AttributesOnly()) return Status::Fail(StatusCode::Denied, 5, "SetAttributes");
    if (LinkCount() == 0) return Status::Fail(StatusCode::NotFound, 2);
    if (node_->holds > 0) return Status::Fail(StatusCode::InUse, 32, "SetAttributes");
    fs_.log.push_back("attr " + Path());
    node_->attributes = (node_->attributes & (kAttrDirectory | kAttrReparsePoint)) | attributes;
    return {};
  }
  Status MarkForDeletion(const DeletionKey&, bool ignoringReadOnly) override {
    return Remove(ignoringReadOnly);
  }
  bool ChildGone(const std::string& name) override {
    const auto it = node_->children.find(ToUpperAscii(name));
    return it == node_->children.end() || it->second->pending;
  }
  std::optional<LinkData> LinkTarget() override {
    if (node_->reparseData.empty()) return std::nullopt;
    return ParseReparseData(node_->reparseData.data(), node_->reparseData.size());
  }

 private:
  bool AttributesOnly() const { return mode_ == Mode::AttributesOnly || mode_ == Mode::Oplocked; }
  std::string Path() const {
    return via_ ? fs_.PathOf(*via_->first) + "\\" + via_->second : fs_.PathOf(*node_);
  }
  OpenedItem Open(const std::string& name, bool hold);
  Status Remove(bool ignoreReadOnly);
  void Unname();

  FakeFileSystem& fs_;
  std::shared_ptr<Node> node_;
  Mode mode_;
  std::optional<Name> via_;
  bool holding_ = false;
};

OpenedItem FakeItem::Open(const std::string& name, bool hold) {
  if (ToUpperAscii(fs_.PathOf(*node_) + "\\" + name) == ToUpperAscii(fs_.throwIn)) {
    throw std::bad_alloc();
  }
  const std::string key = ToUpperAscii(name);
  const auto it = node_->children.find(key);
  if (it == node_->children.end()) return {Status::Fail(StatusCode::NotFound, 2), nullptr};
  const Node& child = *it->second;
  if (child.refuseOpen) return {*child.refuseOpen, nullptr};
  if (child.pending) return {Status::Fail(StatusCode::Denied, 5, "NtCreateFile"), nullptr};
  std::optional<Name> via;
  if (child.parent != node_.get() || ToUpperAscii(child.name) != key) {
    via = Name{node_.get(), NameIn(child, *node_, key)};
  }
  // Every open but one for the attributes alone asks for SYNCHRONIZE.
  if (child.denyListAndSynchronize) {
    if (child.reparseData.empty())
      return {Status::Fail(StatusCode::Denied, 5, "NtCreateFile"), nullptr};
    return {Status::Success(), std::make_unique<FakeItem>(fs_, it->second, Mode::AttributesOnly)};
  }
  if (hold && (child.locked || child.oplocked)) {
    return {Status::Fail(StatusCode::InUse, 32, "NtCreateFile"), nullptr};
  }
  const Mode mode = hold ? Mode::Held : child.oplocked ? Mode::Oplocked : Mode::Full;
  return {Status::Success(), std::make_unique<FakeItem>(fs_, it->second, mode, std::move(via))};
}

Status FakeItem::Remove(bool ignoreReadOnly) {
  Node& n = *node_;
  if (mode_ == Mode::Oplocked) return Status::Fail(StatusCode::InUse, 32, "NtCreateFile");
  if (mode_ != Mode::Full) return Status::Fail(StatusCode::Denied, 5, "NtCreateFile");
  if (LinkCount() == 0) return Status::Fail(StatusCode::NotFound, 2);
  if (n.locked || n.holds > 0) return Status::Fail(StatusCode::InUse, 32, "Delete");
  // Read-only refuses the deletion of a folder too (STATUS_CANNOT_DELETE: access denied).
  const bool readOnly =
      (n.attributes & kAttrReadOnly) && !(ignoreReadOnly && fs_.deleteIgnoresReadOnly);
  if (n.denied || readOnly) return Status::Fail(StatusCode::Denied, 5, "Delete");
  const bool link = IsLinkNode(n);
  if (!link && n.dir && !n.children.empty())
    return Status::Fail(StatusCode::NotEmpty, 145, "Delete");
  fs_.log.push_back((link ? "rmlink " : n.dir ? "rmdir " : "rmfile ") + Path());
  if (!n.deletionUndone) Unname();
  return {};
}

// Takes away the name the item was opened by; the file keeps its others.
void FakeItem::Unname() {
  Node& n = *node_;
  if (via_) {
    via_->first->children.erase(ToUpperAscii(via_->second));
    std::erase(n.otherNames, *via_);
    return;
  }
  n.parent->children.erase(ToUpperAscii(n.name));
  n.parent = nullptr;
  if (n.otherNames.empty()) return;
  std::tie(n.parent, n.name) = n.otherNames.front();
  n.otherNames.erase(n.otherNames.begin());
}

OpenedItem FakeFileSystem::OpenFolder(const std::string& path, bool hold) {
  Node* node = Resolve(path, true);
  if (node != nullptr && node->refuseOpen) return {*node->refuseOpen, nullptr};
  if (node == nullptr || !node->dir) return {Status::Fail(StatusCode::NotFound, 3), nullptr};
  if (hold && (node->locked || node->oplocked))
    return {Status::Fail(StatusCode::InUse, 32), nullptr};
  const auto mode = hold ? FakeItem::Mode::Held : FakeItem::Mode::Full;
  return {Status::Success(), std::make_unique<FakeItem>(*this, Shared(node), mode)};
}

OpenedItem FakeFileSystem::OpenBase(const std::string& path) { return OpenFolder(path, false); }

OpenedItem FakeFileSystem::HoldBase(const std::string& path) { return OpenFolder(path, true); }

}  // namespace qc::test
