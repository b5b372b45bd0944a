// Removing the product's shortcuts: the profile's scan folders, the two-pass folder scan
// and the shortcut contents test.
#include "files/ShortcutCleaner.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/AsciiCase.h"
#include "base/FolderPath.h"
#include "files/AgentSearch.h"
#include "files/AtRestart.h"
#include "files/FolderWalk.h"
#include "paths/OpenPath.h"
#include "texts/ResultsTexts.h"

namespace qc {
namespace {

constexpr const char* kDesktopFragment = "Kelvora Quenzor Plexarium by Norvane";
constexpr const char* kStartMenuFragment = "Kelvora Quenzor Plexarium";
constexpr std::string_view kShortcutMarker = ".LNK";

// What the shortcut scan keeps of a path: whether it holds the upper-cased name fragment
// and the shortcut marker.
constexpr std::uint32_t kHoldsFragment = 1;
constexpr std::uint32_t kHoldsMarker = 2;

// Whether path, upper-cased, contains upperNeedle, given whether its first `from`
// characters did: an occurrence not among them ends after them, so it starts at most
// upperNeedle.size() - 1 characters before. A deep path is thus never searched again
// from its start for every entry below it.
bool Holds(bool held, std::string_view path, std::size_t from, std::string_view upperNeedle) {
  if (held) return true;
  const std::size_t back = std::min(from, upperNeedle.empty() ? 0 : upperNeedle.size() - 1);
  return ToUpperAscii(path.substr(from - back)).find(upperNeedle) != std::string::npos;
}

std::uint32_t MarksOf(bool fragment, bool marker) {
  return (fragment ? kHoldsFragment : 0) | (marker ? kHoldsMarker : 0);
}

// Whether the shortcut that name opens as in folder names the agent.
bool NamesAgent(IFileItem& folder, const std::string& name) {
  const OpenedItem file = folder.OpenChild(name);
  if (!file.item || (file.item->Attributes() & kAttrDirectory) != 0) return false;
  const std::unique_ptr<IByteStream> stream = file.item->Read();
  // A read error before the name turned up leaves the shortcut alone.
  return stream != nullptr && AgentSearch().Scan(*stream).value_or(false);
}

// Shortcut candidates that name the agent, and other entries whose path holds the
// fragment. A delete is proven by the entry being gone, not by the call's status; what is
// in use now may go at the next restart.
class ShortcutRule final : public WalkRule {
 public:
  ShortcutRule(const std::string& tofind, IRestartRemoval& restart)
      : upperFind_(ToUpperAscii(tofind)), restart_(restart) {}
  std::uint32_t RootMarks(const std::string& dirname) const {
    return MarksOf(Holds(false, dirname, 0, upperFind_), Holds(false, dirname, 0, kShortcutMarker));
  }
  bool Select(IFileItem& folder, const DirEntry& entry, const std::string& path,
              std::size_t folderLength, std::uint32_t folderMarks, std::uint32_t& marks) override {
    const bool fragment = Holds(folderMarks & kHoldsFragment, path, folderLength, upperFind_);
    const bool marker = Holds(folderMarks & kHoldsMarker, path, folderLength, kShortcutMarker);
    marks = MarksOf(fragment, marker);
    return marker ? NamesAgent(folder, entry.name) : fragment;
  }
  // Read-only, hidden and system files go too, since the delete itself is not forced. A
  // reset that fails leaves a read-only file in place, and its line then says so. Windows
  // refuses to remove a read-only folder too, and Explorer marks customised folders so.
  std::optional<std::uint32_t> BeforeDelete(std::uint32_t attributes, bool folder) override {
    if (!folder) return 0;
    if ((attributes & kAttrReadOnly) == 0) return std::nullopt;
    return attributes & ~(kAttrReadOnly | kAttrDirectory | kAttrReparsePoint);
  }
  WalkLine Settled(const WalkItem& item) override {
    if (item.folder) {
      if (item.gone) return {"Directory Removed: " + item.path, Outcome::Success};
      // A folder that stays only because of items deleted at the next restart goes then
      // too (never a link).
      if (item.onlyAtRestart && !item.link) {
        if (std::optional<std::string> line = ScannedFolderAtRestart(restart_, item.path)) {
          return {std::move(*line), Outcome::ScheduledAtRestart};
        }
      }
      return {ListLine(kDirectoryNotRemoved, item.path), Outcome::Failure};
    }
    if (item.gone) return {ListLine(kFileDeleted, item.path), Outcome::Success};
    if (std::optional<std::string> line = FileAtRestart(restart_, item.status, item.path)) {
      return {std::move(*line), Outcome::ScheduledAtRestart};
    }
    return {ListLine(kFileNotDeleted, item.path), Outcome::Failure};
  }

 private:
  std::string upperFind_;
  IRestartRemoval& restart_;
};

// The folders the per-machine installations put their shortcuts in, with the fragment
// of the per-user folder each stands for.
constexpr std::pair<ShellFolder, const char*> kMachineWideFolders[] = {
    {ShellFolder::CommonDesktop, kDesktopFragment},
    {ShellFolder::CommonStartMenu, kStartMenuFragment},
    {ShellFolder::CommonStartup, kStartMenuFragment},
};

// A folder the shell reports, taken apart like every base folder; a missing or relative
// one is no folder at all, never one at the root of the current drive.
std::optional<std::string> ReportedFolder(IShellFolders& shell, ShellFolder folder) {
  const std::optional<std::string> path = shell.Path(folder);
  return path ? NormaliseFolder(*path) : std::nullopt;
}

bool SameFolder(const std::optional<std::string>& a, const std::string& b) {
  return a && SameAscii(*a, b);
}

// The Desktop, Start Menu and StartUp scans of one profile. For the process's own account,
// each folder the shell reports elsewhere is scanned right after the rules' one, but only
// when the shell speaks of this very profile.
void ScanProfile(IFileSystem& fs, IShellFolders& shell, bool ownAccount, IResultsSink& listWork,
                 const std::string& profile, bool nt6, IRestartRemoval& restart) {
  const std::string startMenu =
      profile + (nt6 ? "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu" : "\\Start Menu");
  const struct {
    std::string path;
    const char* fragment;
    ShellFolder reported;
  } scans[] = {
      {profile + "\\Desktop", kDesktopFragment, ShellFolder::Desktop},
      {startMenu, kStartMenuFragment, ShellFolder::StartMenu},
      {startMenu + "\\Programs\\StartUp", kStartMenuFragment, ShellFolder::Startup},
  };
  const bool extras =
      ownAccount && SameFolder(ReportedFolder(shell, ShellFolder::Profile), profile);
  for (const auto& scan : scans) {
    SearchDirDel(fs, listWork, scan.path, scan.fragment, restart, profile);
    if (!extras) continue;
    const std::optional<std::string> reported = ReportedFolder(shell, scan.reported);
    if (reported && !SameFolder(reported, scan.path)) {
      SearchDirDel(fs, listWork, *reported, scan.fragment, restart, profile);
    }
  }
}

}  // namespace

bool IsNtVersion6(IOsVersion& os) {
  const std::optional<OsVersionInfo> version = os.QueryVersion();
  return version && version->majorVersion == 6 && version->platformId == kVerPlatformWin32Nt;
}

void SearchDirDel(IFileSystem& fs, IResultsSink& listWork, const std::string& dirname,
                  const std::string& tofind, IRestartRemoval& restart, std::string_view profile) {
  OpenedPath opened = OpenPath(fs, dirname, profile, true);
  if (const std::optional<std::string> refused = RefusedWayLine(opened.state, dirname)) {
    listWork.Add(*refused, Outcome::Failure);
    return;
  }
  // A folder that is there but refuses to open is said to be so; a missing one, or a
  // file, has nothing to select.
  if (!opened.item && opened.parent && opened.status.code != StatusCode::NotFound) {
    const std::optional<std::uint32_t> listed = ListedAttributes(*opened.parent, opened.name);
    if (listed && (*listed & kAttrDirectory) != 0) {
      listWork.Add(UnreadableFolderLine(dirname), Outcome::Failure);
    }
    return;
  }
  if (!opened.item || (opened.item->Attributes() & kAttrDirectory) == 0) return;
  ShortcutRule rule(tofind, restart);
  const Status walked = WalkFolder(*opened.item, dirname, rule.RootMarks(dirname), rule, listWork);
  if (!walked.ok()) listWork.Add(UnreadableFolderLine(dirname), Outcome::Failure);
}

void CleanProfile(IFileSystem& fs, IOsVersion& os, IShellFolders& shell, UserScope& scope,
                  IResultsSink& listWork, IRestartRemoval& restart) {
  // Without a real profile the scan folders would sit at the root of the current drive.
  if (!scope.profiles) ReportUnknownProfiles(scope, listWork, kProfileUnknownLine);
  if (!scope.profiles && !scope.everyProfile) return;
  const bool nt6 = IsNtVersion6(os);
  for (const std::string& profile : scope.profiles.value_or(std::vector<std::string>{})) {
    // The shell reports the folders of the process's account, which is no one's
    // profile in a run over every profile.
    ScanProfile(fs, shell, !scope.everyProfile, listWork, profile, nt6, restart);
  }
  if (!scope.everyProfile) return;
  for (const auto& [folder, fragment] : kMachineWideFolders) {
    if (const std::optional<std::string> path = ReportedFolder(shell, folder)) {
      SearchDirDel(fs, listWork, *path, fragment, restart);
    }
  }
}

}  // namespace qc
