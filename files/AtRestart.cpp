// Deleting at the next restart what is in use now.
#include "files/AtRestart.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "texts/ResultsTexts.h"

namespace qc {
namespace {

// The lines of what the next restart deletes are all built here.

// The files to schedule and then the folders, each folder after everything inside it,
// so that each is empty when Windows comes to it. nullopt when something other than a
// file in use stayed, or anything outside root: that is never scheduled.
std::optional<std::vector<std::string>> RestartOrder(const std::string& root,
                                                     const std::vector<Leftover>& stayed) {
  if (stayed.empty()) return std::nullopt;
  std::vector<std::string> files;
  std::vector<std::string> folders{root};
  for (const Leftover& item : stayed) {
    if (item.folder || item.status.code != StatusCode::InUse ||
        !item.path.starts_with(root + "\\")) {
      return std::nullopt;
    }
    files.push_back(item.path);
    for (std::size_t cut = item.path.rfind('\\'); cut > root.size();
         cut = item.path.rfind('\\', cut - 1)) {
      folders.push_back(item.path.substr(0, cut));
    }
  }
  // A folder's path is longer than its parent's: longest first puts the inner ones first.
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  files.insert(files.end(), folders.begin(), folders.end());
  return files;
}

}  // namespace

std::optional<std::string> FileAtRestart(IRestartRemoval& restart, const Status& removal,
                                         const std::string& path) {
  if (removal.code != StatusCode::InUse || !restart.ScheduleDelete(path).ok()) return std::nullopt;
  return ListLine(kFileAtRestart, path);
}

std::optional<std::string> ScannedFolderAtRestart(IRestartRemoval& restart,
                                                  const std::string& path) {
  if (!restart.ScheduleDelete(path).ok()) return std::nullopt;
  return ListLine(kScannedFolderAtRestart, path);
}

bool ScheduleTreeAtRestart(IRestartRemoval& restart, IResultsSink& listWork,
                           const std::string& root, const std::vector<Leftover>& stayed) {
  const std::optional<std::vector<std::string>> order = RestartOrder(root, stayed);
  if (!order) return false;
  std::size_t scheduled = 0;
  while (scheduled < order->size() && restart.ScheduleDelete((*order)[scheduled]).ok()) {
    ++scheduled;
  }
  // A refusal part-way (a folder inside that a user may change) leaves the files scheduled
  // before it to the restart, the first ones of the order: each still gets its line.
  for (std::size_t i = 0; i < stayed.size() && i < scheduled; ++i) {
    listWork.Add(ListLine(kFileAtRestart, stayed[i].path), Outcome::ScheduledAtRestart);
  }
  if (scheduled < order->size()) return false;
  listWork.Add(ListLine(kFolderAtRestart, root), Outcome::ScheduledAtRestart);
  return true;
}

}  // namespace qc
