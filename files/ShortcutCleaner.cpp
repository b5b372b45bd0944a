// Removing the product's shortcuts: the profile's scan folders, the two-pass folder scan
// and the shortcut contents test.
#include "files/ShortcutCleaner.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "files/AgentSearch.h"
#include "files/AtRestart.h"
#include "platform/AsciiCase.h"
#include "platform/FolderPath.h"

namespace qc {
namespace {

constexpr const char* kDesktopFragment = "Kelvora Quenzor Plexarium by Norvane";
constexpr const char* kStartMenuFragment = "Kelvora Quenzor Plexarium";
constexpr std::string_view kShortcutMarker = ".LNK";

// Whether an entry path holds the upper-cased name fragment and the shortcut marker.
struct PathMatch {
  bool fragment = false;
  bool marker = false;
};

struct Selected {
  std::string name;
  std::uint32_t listedAttributes;  // fallback when the attributes cannot be read again
  PathMatch match;                 // of its entry path, the base of its own entries' tests
};

struct Line {
  std::string text;
  Outcome outcome = Outcome::Success;
};

// A delete is proven by the entry being gone, not by the call's status. A folder that
// stays only because of items deleted at the next restart goes then too (never a link).
Line FolderLine(IFileSystem& fs, const std::string& path, IRestartRemoval* restart = nullptr) {
  if (fs.GetAttributes(path).gone()) return {"Directory Removed: " + path, Outcome::Success};
  if (restart != nullptr && restart->ScheduleDelete(path).ok()) {
    return {"Directory Removed at Restart: " + path, Outcome::ScheduledAtRestart};
  }
  return {"Directory Not Removed: " + path, Outcome::Failure};
}

// Whether path, upper-cased, contains upperNeedle, given whether its first `from`
// characters did: an occurrence not among them ends after them, so it starts at most
// upperNeedle.size() - 1 characters before. A deep path is thus never searched again
// from its start for every entry below it.
bool Holds(bool held, std::string_view path, std::size_t from, std::string_view upperNeedle) {
  if (held) return true;
  const std::size_t back = std::min(from, upperNeedle.empty() ? 0 : upperNeedle.size() - 1);
  return ToUpperAscii(path.substr(from - back)).find(upperNeedle) != std::string::npos;
}

// One folder of a scan: what it selected and how far the second pass has come.
struct Frame {
  std::vector<Selected> selection;
  std::size_t next = 0;
  std::size_t pathLength = 0;  // the folder's path is the first pathLength bytes of path_
  std::size_t lineSlot = 0;    // where its own line goes among the held lines
  bool keepsSome = false;      // something in it stays for good
  bool atRestart = false;      // something in it goes only at the next restart
};

// A scan folder and every selected folder inside it, on a stack of its own rather than
// the call stack: a path of 32,767 characters allows some 16,000 nested folders. Each
// folder is listed and judged completely before anything in it changes; then its
// selected entries are handled one at a time, in listing order, each completely (a
// selected folder with all its contents) before the next.
class Scan {
 public:
  Scan(IFileSystem& fs, IResultsSink& listWork, const std::string& dirname,
       const std::string& tofind, IRestartRemoval* restart)
      : fs_(fs),
        listWork_(listWork),
        restart_(restart),
        upperFind_(ToUpperAscii(tofind)),
        path_(dirname) {}
  void Run(bool delatend);

 private:
  Frame Enter(PathMatch folder, std::size_t lineSlot);
  std::vector<Selected> SelectEntries(PathMatch folder, bool& keepsSome);
  void ActOn(const Selected& entry);
  void RemoveFile(std::uint32_t attributes);
  void Write(Line line);
  void Mark(Outcome outcome);

  IFileSystem& fs_;
  IResultsSink& listWork_;
  IRestartRemoval* restart_;
  std::string upperFind_;
  std::string path_;  // the folder or entry being worked on; one buffer for every level
  std::vector<Frame> stack_;
  // The lines of a selected folder of the scan folder and of everything inside it. A
  // folder's line depends on how its removal ended but comes before its contents' lines,
  // so it gets its place when the folder is entered and is filled in when it is left.
  // Each line is written once into its place and never copied from level to level.
  std::vector<Line> held_;
};

// First pass over the folder at path_: shortcut candidates that name the agent, and
// other entries whose path holds the fragment.
std::vector<Selected> Scan::SelectEntries(PathMatch folder, bool& keepsSome) {
  std::vector<Selected> selection;
  const std::size_t length = path_.size();
  path_ += "\\*.*";
  const std::optional<std::vector<DirEntry>> entries = fs_.List(path_, kListAll);
  path_.resize(length);
  keepsSome = !entries;
  if (!entries) return selection;  // missing or unreadable: nothing to select
  for (const DirEntry& entry : *entries) {
    // An empty name would make the entry path the folder itself.
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    (path_ += '\\') += entry.name;
    const PathMatch match{Holds(folder.fragment, path_, length, upperFind_),
                          Holds(folder.marker, path_, length, kShortcutMarker)};
    const bool selected = match.marker ? ShortcutTargetsAgent(fs_, path_) : match.fragment;
    path_.resize(length);
    if (selected) selection.push_back({entry.name, entry.attributes, match});
    keepsSome = keepsSome || !selected;
  }
  return selection;
}

Frame Scan::Enter(PathMatch folder, std::size_t lineSlot) {
  Frame frame{{}, 0, path_.size(), lineSlot};
  frame.selection = SelectEntries(folder, frame.keepsSome);
  return frame;
}

void Scan::Run(bool delatend) {
  const PathMatch top{Holds(false, path_, 0, upperFind_), Holds(false, path_, 0, kShortcutMarker)};
  stack_.push_back(Enter(top, 0));
  while (!stack_.empty()) {
    Frame& frame = stack_.back();
    path_.resize(frame.pathLength);
    if (frame.next < frame.selection.size()) {
      const Selected entry = frame.selection[frame.next++];
      ActOn(entry);  // may push a frame, which invalidates frame
      continue;
    }
    const bool nested = stack_.size() > 1;
    // The scan folder's own removal is judged by the caller, which writes its line.
    if (nested || delatend) fs_.RemoveFolder(path_);
    const bool atRestart = frame.atRestart && !frame.keepsSome;
    const std::size_t slot = frame.lineSlot;
    stack_.pop_back();
    if (nested) {
      held_[slot] = FolderLine(fs_, path_, atRestart ? restart_ : nullptr);
      Mark(held_[slot].outcome);
    }
    if (stack_.size() == 1) {
      for (Line& line : held_) listWork_.Add(line.text, line.outcome);
      held_.clear();
    }
  }
}

void Scan::ActOn(const Selected& entry) {
  path_ += '\\';
  path_ += entry.name;
  const Attributes now = fs_.GetAttributes(path_);
  const std::uint32_t attributes = now.ok() ? now.bits : entry.listedAttributes;
  const bool folder = (attributes & kAttrDirectory) != 0;
  if (folder && (attributes & kAttrReparsePoint) != 0) {
    // A junction, symbolic link or mount point is removed itself; what it points to is
    // never listed, so nothing outside the scanned tree can be lost through it.
    fs_.RemoveFolder(path_);
    Write(FolderLine(fs_, path_));
  } else if (folder) {
    held_.emplace_back();
    stack_.push_back(Enter(entry.match, held_.size() - 1));
  } else {
    RemoveFile(attributes);
  }
}

void Scan::RemoveFile(std::uint32_t attributes) {
  // Read-only, hidden and system files go too, since the delete itself is not forced.
  // A file link keeps its attributes: resetting them could reach the link's target. A
  // reset that fails leaves a read-only file in place, and its line then says so.
  if ((attributes & kAttrReparsePoint) == 0) fs_.SetAttributes(path_, 0);
  const Status removal = fs_.RemoveFile(path_);
  if (fs_.GetAttributes(path_).gone()) {
    Write({"File Deleted: " + path_, Outcome::Success});
  } else if (ScheduledAtRestart(restart_, removal, path_)) {
    Write({std::string(kFileAtRestart) + path_, Outcome::ScheduledAtRestart});
  } else {
    Write({"File Not Deleted: " + path_, Outcome::Failure});
  }
}

// What the folder being worked on keeps, for judging its own removal.
void Scan::Mark(Outcome outcome) {
  Frame& folder = stack_.back();
  folder.keepsSome = folder.keepsSome || outcome == Outcome::Failure;
  folder.atRestart = folder.atRestart || outcome == Outcome::ScheduledAtRestart;
}

void Scan::Write(Line line) {
  Mark(line.outcome);
  if (stack_.size() == 1) {
    listWork_.Add(line.text, line.outcome);
  } else {
    held_.push_back(std::move(line));
  }
}

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
  return a && ToUpperAscii(*a) == ToUpperAscii(b);
}

// The Desktop, Start Menu and StartUp scans of one profile. With shell, each folder the
// shell reports elsewhere is scanned right after the rules' one, but only when the shell
// speaks of this very profile.
void ScanProfile(IFileSystem& fs, IShellFolders* shell, IResultsSink& listWork,
                 const std::string& profile, bool nt6, IRestartRemoval* restart) {
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
      shell != nullptr && SameFolder(ReportedFolder(*shell, ShellFolder::Profile), profile);
  for (const auto& scan : scans) {
    SearchDirDel(fs, listWork, scan.path, scan.fragment, false, restart);
    if (!extras) continue;
    const std::optional<std::string> reported = ReportedFolder(*shell, scan.reported);
    if (reported && !SameFolder(reported, scan.path)) {
      SearchDirDel(fs, listWork, *reported, scan.fragment, false, restart);
    }
  }
}

}  // namespace

bool IsNtVersion6(IOsVersion& os) {
  const std::optional<OsVersionInfo> version = os.QueryVersion();
  return version && version->majorVersion == 6 && version->platformId == kVerPlatformWin32Nt;
}

bool ShortcutTargetsAgent(IFileSystem& fs, const std::string& path) {
  const std::unique_ptr<IByteStream> stream = fs.OpenRead(path);
  if (!stream) return false;
  // A read error before the name turned up leaves the shortcut alone.
  return AgentSearch().Scan(*stream).value_or(false);
}

void SearchDirDel(IFileSystem& fs, IResultsSink& listWork, const std::string& dirname,
                  const std::string& tofind, bool delatend, IRestartRemoval* restart) {
  Scan(fs, listWork, dirname, tofind, restart).Run(delatend);
}

void CleanProfile(IFileSystem& fs, IOsVersion& os, IShellFolders* shell, UserScope& scope,
                  IResultsSink& listWork, IRestartRemoval* restart) {
  // Without a real profile the scan folders would sit at the root of the current drive.
  if (!scope.profiles) ReportUnknownProfiles(scope, listWork, kProfileUnknownLine);
  if (!scope.profiles && !scope.everyProfile) return;
  const bool nt6 = IsNtVersion6(os);
  for (const std::string& profile : scope.profiles.value_or(std::vector<std::string>{})) {
    // The shell reports the folders of the process's account, which is no one's
    // profile in a run over every profile.
    ScanProfile(fs, scope.everyProfile ? nullptr : shell, listWork, profile, nt6, restart);
  }
  if (scope.everyProfile && shell != nullptr) {
    for (const auto& [folder, fragment] : kMachineWideFolders) {
      if (const std::optional<std::string> path = ReportedFolder(*shell, folder)) {
        SearchDirDel(fs, listWork, *path, fragment, false, restart);
      }
    }
  }
}

void CleanProfile(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsSink& listWork,
                  IRestartRemoval* restart) {
  UserScope scope = CurrentUserScope(env);
  CleanProfile(fs, os, nullptr, scope, listWork, restart);
}

}  // namespace qc
