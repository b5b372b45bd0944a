// The in-memory file system of the unit tests.
#include "fakes/FakeFileSystem.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/AsciiCase.h"

namespace qc::test {
namespace {

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

std::string ParentOf(const std::string& key) {
  const auto pos = key.rfind('\\');
  return pos == std::string::npos ? std::string() : key.substr(0, pos);
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

std::string FakeFileSystem::Resolve(const std::string& path, bool followLast) {
  const auto parts = Split(path);
  std::string key;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    key = i == 0 ? ToUpperAscii(parts[i]) : key + "\\" + ToUpperAscii(parts[i]);
    auto it = nodes_.find(key);
    const bool last = i + 1 == parts.size();
    if (it != nodes_.end() && !it->second.linkTarget.empty() && (!last || followLast)) {
      key = Resolve(it->second.linkTarget, true);
    }
  }
  return key;
}

void FakeFileSystem::EnsureParents(const std::string& path) {
  const auto pos = path.rfind('\\');
  if (pos == std::string::npos || pos == 0) return;
  const std::string parent = path.substr(0, pos);
  if (Find(parent) == nullptr && parent.find('\\') != std::string::npos) AddFolder(parent);
}

void FakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
  EnsureParents(path);
  Node n;
  n.path = path;
  n.dir = true;
  n.attributes = attributes | kAttrDirectory;
  nodes_[Resolve(path, false)] = n;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             std::uint32_t attributes) {
  EnsureParents(path);
  Node n;
  n.path = path;
  n.content = content;
  n.attributes = attributes;
  nodes_[Resolve(path, false)] = n;
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  EnsureParents(path);
  Node n;
  n.path = path;
  n.dir = true;
  n.attributes = kAttrDirectory | kAttrReparsePoint;
  n.linkTarget = target;
  nodes_[Resolve(path, false)] = n;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(Resolve(path, false));
  return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<std::string> FakeFileSystem::ChildKeys(const std::string& key) {
  std::vector<std::string> out;
  for (const auto& [k, n] : nodes_) {
    if (ParentOf(k) == key && k != key) out.push_back(k);
  }
  return out;  // map order: sorted by upper-cased name, as Wine lists
}

std::vector<std::string> FakeFileSystem::Tree(const std::string& root) {
  const std::string key = Resolve(root, false);
  std::vector<std::string> out;
  for (const auto& [k, n] : nodes_) {
    if (k == key || k.starts_with(key + "\\")) out.push_back(n.path);
  }
  return out;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  if (throwIn == "exists") throw std::bad_alloc();
  auto it = nodes_.find(Resolve(path, true));
  return it != nodes_.end() && it->second.dir;
}

bool FakeFileSystem::FileExists(const std::string& path) {
  auto it = nodes_.find(Resolve(path, true));
  return it != nodes_.end() && !it->second.dir;
}

std::optional<std::vector<DirEntry>> FakeFileSystem::List(const std::string& pattern,
                                                          std::uint32_t) {
  if (throwIn == "list") throw std::bad_alloc();
  log.push_back("list " + pattern);
  const std::string suffix = "\\*.*";
  if (!pattern.ends_with(suffix)) return std::nullopt;
  const std::string key = Resolve(pattern.substr(0, pattern.size() - suffix.size()), true);
  auto it = nodes_.find(key);
  if (it == nodes_.end() || !it->second.dir || it->second.unlistable) return std::nullopt;
  std::vector<DirEntry> out{{".", kAttrDirectory}, {"..", kAttrDirectory}};
  for (const std::string& child : ChildKeys(key)) {
    const Node& n = nodes_[child];
    out.push_back({n.path.substr(n.path.rfind('\\') + 1), n.attributes});
  }
  return out;
}

Attributes FakeFileSystem::GetAttributes(const std::string& path) {
  Node* n = Find(path);
  if (n == nullptr) return {Status::Fail(StatusCode::NotFound, 2)};
  return {Status::Success(), n->attributes};
}

std::unique_ptr<IByteStream> FakeFileSystem::OpenRead(const std::string& path) {
  auto it = nodes_.find(Resolve(path, true));
  if (it == nodes_.end() || it->second.dir || it->second.unreadable) return nullptr;
  log.push_back("read " + it->second.path);
  auto s = std::make_unique<StringStream>(it->second.content, openStreams);
  maxOpenStreams = std::max(maxOpenStreams, openStreams);
  return s;
}

// An item of the fake, kept by its key: the node it was opened as. Deleting it removes
// the node at once, as a deletion done at the close would.
class FakeItem final : public IFileItem {
 public:
  using Node = FakeFileSystem::Node;
  FakeItem(FakeFileSystem& fs, std::string key) : fs_(fs), key_(std::move(key)) {}
  std::uint32_t Attributes() const override {
    const auto it = fs_.nodes_.find(key_);
    return it == fs_.nodes_.end() ? kAttrDirectory : it->second.attributes;  // a drive's root
  }
  std::optional<std::vector<DirEntry>> List() override {
    const auto it = fs_.nodes_.find(key_);
    fs_.log.push_back("list " + (it == fs_.nodes_.end() ? key_ : it->second.path) + "\\*.*");
    if (it != fs_.nodes_.end() && (!it->second.dir || it->second.unlistable)) return std::nullopt;
    std::vector<DirEntry> out{{".", kAttrDirectory}, {"..", kAttrDirectory}};
    for (const std::string& child : fs_.ChildKeys(key_)) {
      const Node& n = fs_.nodes_[child];
      out.push_back({n.path.substr(n.path.rfind('\\') + 1), n.attributes});
    }
    return out;
  }
  OpenedItem OpenChild(const std::string& name) override {
    const std::string key = key_ + "\\" + ToUpperAscii(name);
    if (key == ToUpperAscii(fs_.throwIn)) throw std::bad_alloc();
    if (fs_.nodes_.count(key) == 0) return {Status::Fail(StatusCode::NotFound, 2), nullptr};
    return {Status::Success(), std::make_unique<FakeItem>(fs_, key)};
  }
  std::unique_ptr<IByteStream> Read() override {
    const auto it = fs_.nodes_.find(key_);
    if (it == fs_.nodes_.end() || it->second.dir || it->second.unreadable) return nullptr;
    fs_.log.push_back("read " + it->second.path);
    auto s = std::make_unique<StringStream>(it->second.content, fs_.openStreams);
    fs_.maxOpenStreams = std::max(fs_.maxOpenStreams, fs_.openStreams);
    return s;
  }
  Status SetAttributes(std::uint32_t attributes) override {
    const auto it = fs_.nodes_.find(key_);
    if (it == fs_.nodes_.end()) return Status::Fail(StatusCode::NotFound, 2);
    fs_.log.push_back("attr " + it->second.path);
    Node& n = it->second;
    n.attributes = (n.attributes & (kAttrDirectory | kAttrReparsePoint)) | attributes;
    return {};
  }
  Status Delete() override {
    const auto it = fs_.nodes_.find(key_);
    if (it == fs_.nodes_.end()) return Status::Fail(StatusCode::NotFound, 2);
    const Node& n = it->second;
    if (n.locked) return Status::Fail(StatusCode::InUse, 32, "Delete");
    if (n.denied || (!n.dir && (n.attributes & kAttrReadOnly))) {
      return Status::Fail(StatusCode::Denied, 5, "Delete");
    }
    const bool link = !n.linkTarget.empty();
    if (!link && n.dir && !fs_.ChildKeys(key_).empty()) {
      return Status::Fail(StatusCode::Failed, 145, "Delete");
    }
    fs_.log.push_back((link ? "rmlink " : n.dir ? "rmdir " : "rmfile ") + n.path);
    fs_.nodes_.erase(it);
    return {};
  }
  void Close() override {}
  bool ChildGone(const std::string& name) override {
    return fs_.nodes_.count(key_ + "\\" + ToUpperAscii(name)) == 0;
  }
  std::optional<std::string> LinkTarget() override {
    const auto it = fs_.nodes_.find(key_);
    if (it == fs_.nodes_.end() || it->second.linkTarget.empty()) return std::nullopt;
    return it->second.linkTarget;
  }

 private:
  FakeFileSystem& fs_;
  std::string key_;
};

OpenedItem FakeFileSystem::OpenBase(const std::string& path) {
  const std::string key = Resolve(path, true);
  const auto it = nodes_.find(key);
  // A drive's root or a share is there without a node of its own.
  const bool root =
      it == nodes_.end() && path.find('\\', path.starts_with("\\\\") ? 2 : 0) == std::string::npos;
  if (!root && (it == nodes_.end() || !it->second.dir))
    return {Status::Fail(StatusCode::NotFound, 3), nullptr};
  return {Status::Success(), std::make_unique<FakeItem>(*this, key)};
}

}  // namespace qc::test
