// The walk over open items that both the folder deletion and the shortcut scan use.
#include "files/FolderWalk.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace qc {
namespace {

struct Selected {
  std::string name;
  std::uint32_t listedAttributes;  // for the line when the entry no longer opens
  std::uint32_t listedTag;
  std::uint32_t marks;  // the rule's, of its path
};

// One folder of a walk: its open item, what it selected and how far the walk has come.
struct Frame {
  std::unique_ptr<IFileItem> owned;  // null for the root, which the caller owns
  IFileItem* item = nullptr;
  std::string name;  // in its parent
  std::vector<Selected> selection;
  std::size_t next = 0;
  std::size_t pathLength = 0;  // the folder's path is the first pathLength bytes of path_
  std::size_t lineSlot = 0;    // where its own line goes among the held lines
  bool keepsSome = false;      // something in it stays for good
  bool atRestart = false;      // something in it goes only at the next restart
  bool listed = true;          // its listing was read
};

// The folders being walked sit on a stack of their own rather than the call stack: a
// path of 32,767 characters allows some 16,000 nested folders. Each folder is listed and
// judged completely before anything in it changes. Every item is reached only through
// its folder's open item, so a folder renamed or swapped for a link meanwhile leads the
// walk nowhere else.
class Walk {
 public:
  Walk(WalkRule& rule, IResultsSink& listWork, std::string path)
      : rule_(rule), listWork_(listWork), path_(std::move(path)) {}
  Status Run(IFileItem& root, std::uint32_t rootMarks);

 private:
  Frame Enter(std::unique_ptr<IFileItem> owned, IFileItem& item, std::string name,
              std::uint32_t marks, std::size_t lineSlot);
  void ActOn(const Selected& entry);
  void Write(WalkLine line);
  void Mark(Outcome outcome);

  WalkRule& rule_;
  IResultsSink& listWork_;
  std::string path_;  // the folder or entry being worked on; one buffer for every level
  std::vector<Frame> stack_;
  // The lines of a selected folder of the root and of everything inside it. A folder's
  // line depends on how its removal ended but comes before its contents' lines, so it
  // gets its place when the folder is entered and is filled in when it is left.
  std::vector<WalkLine> held_;
};

Frame Walk::Enter(std::unique_ptr<IFileItem> owned, IFileItem& item, std::string name,
                  std::uint32_t marks, std::size_t lineSlot) {
  Frame frame{std::move(owned), &item, std::move(name), {}, 0, path_.size(), lineSlot};
  const std::optional<std::vector<DirEntry>> entries = item.List();
  frame.keepsSome = !entries;  // unreadable: whatever is in it stays
  frame.listed = entries.has_value();
  if (!entries) return frame;
  const std::size_t length = path_.size();
  for (const DirEntry& entry : *entries) {
    // An empty name would make the entry path the folder itself.
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    (path_ += '\\') += entry.name;
    std::uint32_t entryMarks = 0;
    const bool selected = rule_.Select(item, entry, path_, length, marks, entryMarks);
    path_.resize(length);
    if (selected) {
      frame.selection.push_back({entry.name, entry.attributes, entry.reparseTag, entryMarks});
    }
    frame.keepsSome = frame.keepsSome || !selected;
  }
  return frame;
}

// Deletes a file or folder that is no link, with the attributes the rule wants. Those of
// a file with more than one name belong to every name (a user may plant a second name of
// a file they cannot change): they stay as they are, and such a file, read-only, goes
// only where Windows can delete it regardless. Attributes changed for a deletion that
// then fails are put back, unless the next restart may yet delete the item.
Status Remove(std::unique_ptr<IFileItem>&& item, bool folder, WalkRule& rule) {
  const std::uint32_t attributes = item->Attributes();
  const std::optional<std::uint32_t> wanted = rule.BeforeDelete(attributes, folder);
  if (!folder && item->LinkCount() != 1) {
    const bool force =
        wanted && (attributes & kAttrReadOnly) != 0 && (*wanted & kAttrReadOnly) == 0;
    return DeleteItem(std::move(item), force);
  }
  const bool changed = wanted && item->SetAttributes(*wanted).ok();
  return DeleteItem(
      std::move(item), false,
      changed ? std::optional(attributes & ~(kAttrDirectory | kAttrReparsePoint)) : std::nullopt);
}

Status Walk::Run(IFileItem& root, std::uint32_t rootMarks) {
  stack_.push_back(Enter(nullptr, root, {}, rootMarks, 0));
  while (true) {
    Frame& frame = stack_.back();
    path_.resize(frame.pathLength);
    if (frame.next < frame.selection.size()) {
      const Selected entry = frame.selection[frame.next++];
      ActOn(entry);  // may push a frame, which invalidates frame
      continue;
    }
    if (stack_.size() == 1) {
      // Nothing in a root that could not be listed was looked at: the caller says so.
      return frame.listed ? Status::Success() : Status::Fail(StatusCode::Denied);
    }
    const Status removal = Remove(std::move(frame.owned), true, rule_);
    const bool onlyAtRestart = frame.atRestart && !frame.keepsSome;
    const bool keptByContents = frame.keepsSome;
    const std::size_t slot = frame.lineSlot;
    const std::string name = std::move(frame.name);
    stack_.pop_back();
    const bool gone = stack_.back().item->ChildGone(name);
    held_[slot] = rule_.Settled({path_, true, false, removal, gone, onlyAtRestart, keptByContents});
    Mark(held_[slot].outcome);
    if (stack_.size() == 1) {
      for (const WalkLine& line : held_) {
        if (!line.text.empty()) listWork_.Add(line.text, line.outcome);
      }
      held_.clear();
    }
  }
}

void Walk::ActOn(const Selected& entry) {
  (path_ += '\\') += entry.name;
  IFileItem& folder = *stack_.back().item;
  OpenedItem opened = folder.OpenChild(entry.name);
  const bool listedFolder = (entry.listedAttributes & kAttrDirectory) != 0;
  if (!opened.item) {
    // Gone meanwhile is as good as deleted; anything else keeps it.
    const bool gone = opened.status.code == StatusCode::NotFound || folder.ChildGone(entry.name);
    Write(rule_.Settled({path_, listedFolder, false, opened.status, gone, false}));
    return;
  }
  const std::uint32_t attributes = opened.item->Attributes();
  const bool isFolder = (attributes & kAttrDirectory) != 0;
  // Listed as a link or opened as one: either way it is not entered.
  const bool link = IsLink(*opened.item) || IsLink(entry.listedAttributes, entry.listedTag);
  if (isFolder && !link) {
    held_.emplace_back();
    IFileItem& item = *opened.item;
    stack_.push_back(
        Enter(std::move(opened.item), item, entry.name, entry.marks, held_.size() - 1));
    return;
  }
  // A link is deleted itself, attributes untouched: setting them could reach its target.
  const Status removal =
      link ? DeleteItem(std::move(opened.item)) : Remove(std::move(opened.item), false, rule_);
  const bool gone = folder.ChildGone(entry.name);
  Write(rule_.Settled({path_, isFolder, link, removal, gone, false}));
}

// What the folder being worked on keeps, for judging its own removal.
void Walk::Mark(Outcome outcome) {
  Frame& folder = stack_.back();
  folder.keepsSome = folder.keepsSome || outcome == Outcome::Failure;
  folder.atRestart = folder.atRestart || outcome == Outcome::ScheduledAtRestart;
}

void Walk::Write(WalkLine line) {
  Mark(line.outcome);
  if (stack_.size() == 1) {
    if (!line.text.empty()) listWork_.Add(line.text, line.outcome);
  } else {
    held_.push_back(std::move(line));
  }
}

class NullSink final : public IResultsSink {
 public:
  void Add(std::string_view, Outcome) override {}
};

// Everything goes; what stays is noted, with the first failure, for the restart rule.
class RemoveAll final : public WalkRule {
 public:
  explicit RemoveAll(TreeDeletion& result) : result_(result) {}
  bool Select(IFileItem&, const DirEntry&, const std::string&, std::size_t, std::uint32_t,
              std::uint32_t&) override {
    return true;
  }
  // Forced: a read-only file or folder goes too.
  std::optional<std::uint32_t> BeforeDelete(std::uint32_t attributes, bool) override {
    if ((attributes & kAttrReadOnly) == 0) return std::nullopt;
    return attributes & ~(kAttrReadOnly | kAttrDirectory | kAttrReparsePoint);
  }
  WalkLine Settled(const WalkItem& item) override {
    if (item.gone) return {{}, Outcome::Success};
    Note(item.path, item.folder, item.keptByContents, item.status);
    return {{}, Outcome::Failure};
  }
  // A folder that is not empty stays because of what is inside it, noted itself; one that
  // is not empty although nothing inside it was noted is noted itself.
  void Note(const std::string& path, bool folder, bool keptByContents, const Status& status) {
    if (folder && keptByContents && status.code == StatusCode::NotEmpty) {
      return;
    }
    // A deletion that reported success and left the item is a failure all the same.
    const Status stayed = status.ok() ? Status::Fail(StatusCode::Failed) : status;
    if (result_.ok()) static_cast<Status&>(result_) = stayed;
    result_.stayed.push_back({path, folder, stayed});
  }

 private:
  TreeDeletion& result_;
};

}  // namespace

Status WalkFolder(IFileItem& root, const std::string& path, std::uint32_t rootMarks, WalkRule& rule,
                  IResultsSink& listWork) {
  return Walk(rule, listWork, path).Run(root, rootMarks);
}

TreeDeletion RemoveTree(std::unique_ptr<IFileItem>&& folder, const std::string& path) {
  TreeDeletion result;
  RemoveAll rule(result);
  NullSink none;
  // A folder that could not be listed is still deleted when it is empty.
  WalkFolder(*folder, path, 0, rule, none);
  const Status removal = Remove(std::move(folder), true, rule);
  if (!removal.ok()) rule.Note(path, true, !result.stayed.empty(), removal);
  return result;
}

}  // namespace qc
