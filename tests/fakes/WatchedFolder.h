// An open folder that forwards everything to the item it stands for and wraps the items
// opened through it alike; once a folder's listing is read, before anything in it is acted
// on, it tells the folder's path, so that a test can act then as another program could.
#pragma once

#include <functional>
#include <utility>

#include "platform/FileSystem.h"

namespace qc::test {

class WatchedFolder final : public IFileItem {
 public:
  using Listed = std::function<void(const std::string& folder)>;
  WatchedFolder(std::unique_ptr<IFileItem> item, std::string path, Listed listed)
      : item_(std::move(item)), path_(std::move(path)), listed_(std::move(listed)) {}
  std::uint32_t Attributes() const override { return item_->Attributes(); }
  std::uint32_t ReparseTag() const override { return item_->ReparseTag(); }
  std::uint32_t LinkCount() const override { return item_->LinkCount(); }
  std::optional<std::vector<DirEntry>> List() override {
    std::optional<std::vector<DirEntry>> entries = item_->List();
    listed_(path_);
    return entries;
  }
  OpenedItem OpenChild(const std::string& name) override {
    OpenedItem child = item_->OpenChild(name);
    if (child.item) {
      child.item =
          std::make_unique<WatchedFolder>(std::move(child.item), path_ + "\\" + name, listed_);
    }
    return child;
  }
  OpenedItem HoldChild(const std::string& name) override { return item_->HoldChild(name); }
  std::unique_ptr<IByteStream> Read() override { return item_->Read(); }
  Status SetAttributes(std::uint32_t bits) override { return item_->SetAttributes(bits); }
  Status MarkForDeletion(const DeletionKey& key, bool ignoringReadOnly) override {
    return item_->MarkForDeletion(key, ignoringReadOnly);
  }
  bool ChildGone(const std::string& name) override { return item_->ChildGone(name); }
  std::optional<LinkData> LinkTarget() override { return item_->LinkTarget(); }

 private:
  std::unique_ptr<IFileItem> item_;
  std::string path_;
  Listed listed_;
};

}  // namespace qc::test
