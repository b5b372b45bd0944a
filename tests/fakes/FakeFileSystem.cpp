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

Status FakeFileSystem::DeleteTree(const std::string& key, std::vector<Leftover>& stayed) {
  Status result;
  for (const std::string& child : ChildKeys(key)) {
    Node& n = nodes_[child];
    Status s;
    if (!n.linkTarget.empty()) {
      log.push_back("rmlink " + n.path);
      nodes_.erase(child);
    } else if (n.dir) {
      s = DeleteTree(child, stayed);
    } else if (n.locked || n.denied) {
      s = n.locked ? Status::Fail(StatusCode::InUse, 32, "DeleteFile")
                   : Status::Fail(StatusCode::Denied, 5, "DeleteFile");
      stayed.push_back({n.path, false, s});
    } else {
      log.push_back("rmfile " + n.path);
      nodes_.erase(child);
    }
    if (!s.ok()) result = s;
  }
  if (!ChildKeys(key).empty()) return result.ok() ? Status::Fail(StatusCode::Failed) : result;
  log.push_back("rmdir " + nodes_[key].path);
  nodes_.erase(key);
  return result;
}

TreeDeletion FakeFileSystem::DeleteFolder(const std::string& path) {
  // A folder that is itself a link loses the link only, as on Windows.
  Node* named = Find(path);
  if (named != nullptr && !named->linkTarget.empty()) return RemoveFolder(path);
  const std::string key = Resolve(path, true);
  auto it = nodes_.find(key);
  if (it == nodes_.end() || !it->second.dir) return Status::Fail(StatusCode::NotFound, 3);
  TreeDeletion result;
  static_cast<Status&>(result) = DeleteTree(key, result.stayed);
  return result;
}

Status FakeFileSystem::RemoveFile(const std::string& path) {
  const std::string key = Resolve(path, true);
  auto it = nodes_.find(key);
  if (it == nodes_.end() || it->second.dir) return Status::Fail(StatusCode::NotFound, 2);
  if (it->second.locked) return Status::Fail(StatusCode::InUse, 32, "DeleteFile");
  if (it->second.attributes & kAttrReadOnly) {
    return Status::Fail(StatusCode::Denied, 5, "DeleteFile");
  }
  log.push_back("rmfile " + it->second.path);
  nodes_.erase(it);
  return {};
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

Status FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  Node* n = Find(path);
  if (n == nullptr) return Status::Fail(StatusCode::NotFound, 2);
  log.push_back("attr " + n->path);
  n->attributes = (n->attributes & (kAttrDirectory | kAttrReparsePoint)) | attributes;
  return {};
}

Status FakeFileSystem::RemoveFolder(const std::string& path) {
  const std::string key = Resolve(path, false);
  auto it = nodes_.find(key);
  if (it == nodes_.end() || !it->second.dir) return Status::Fail(StatusCode::NotFound, 3);
  if (it->second.locked) return Status::Fail(StatusCode::InUse, 32, "RemoveDirectory");
  if (it->second.linkTarget.empty() && !ChildKeys(key).empty()) {
    return Status::Fail(StatusCode::Failed, 145, "RemoveDirectory");
  }
  log.push_back((it->second.linkTarget.empty() ? "rmdir " : "rmlink ") + it->second.path);
  nodes_.erase(it);
  return {};
}

std::unique_ptr<IByteStream> FakeFileSystem::OpenRead(const std::string& path) {
  auto it = nodes_.find(Resolve(path, true));
  if (it == nodes_.end() || it->second.dir || it->second.unreadable) return nullptr;
  log.push_back("read " + it->second.path);
  auto s = std::make_unique<StringStream>(it->second.content, openStreams);
  maxOpenStreams = std::max(maxOpenStreams, openStreams);
  return s;
}

}  // namespace qc::test
