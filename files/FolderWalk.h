// Deleting a folder's contents through open items: each folder listed through its own
// open item, each entry opened relative to it, checked and deleted through its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/ResultsList.h"

namespace qc {

// One item of a walk once it is settled: a file or link after its deletion, a folder
// after its contents and its own deletion.
struct WalkItem {
  const std::string& path;
  bool folder = false;
  bool link = false;
  Status status;                // of opening or deleting it
  bool gone = false;            // the name no longer opens in its folder
  bool onlyAtRestart = false;   // a folder kept only by items left to the next restart
  bool keptByContents = false;  // a folder something inside of which stayed
};

// A line of the results list, or only an outcome when text is empty.
struct WalkLine {
  std::string text;
  Outcome outcome = Outcome::Success;
};

// What a walk selects in each folder and what it says of each item.
class WalkRule {
 public:
  virtual ~WalkRule() = default;
  // Whether the entry goes. path is the entry's path, whose first folderLength characters
  // are its folder's; marks receives what the rule keeps of the entry's path for the
  // entries below it, given folderMarks of the folder's own.
  virtual bool Select(IFileItem& folder, const DirEntry& entry, const std::string& path,
                      std::size_t folderLength, std::uint32_t folderMarks,
                      std::uint32_t& marks) = 0;
  // The attributes a file or folder that is no link gets before its deletion, or nullopt
  // to leave them. A file with more than one name keeps its own; one that is read-only
  // and should lose it is deleted regardless where Windows can.
  virtual std::optional<std::uint32_t> BeforeDelete(std::uint32_t attributes, bool folder) = 0;
  virtual WalkLine Settled(const WalkItem& item) = 0;
};

// Walks the open folder at path: a selected folder is entered, its entries handled in
// listing order, each completely before the next, and deleted at the end; a link is
// deleted itself, never entered. A folder's line comes before its contents' lines. The
// root itself stays, and a failure says it could not be listed.
Status WalkFolder(IFileItem& root, const std::string& path, std::uint32_t rootMarks, WalkRule& rule,
                  IResultsSink& listWork);

// Deletes everything inside the open folder at path, and the folder itself, which it
// takes: the first failure and what stayed for a reason of its own.
TreeDeletion RemoveTree(std::unique_ptr<IFileItem>&& folder, const std::string& path);

}  // namespace qc
