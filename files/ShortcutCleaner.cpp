// Removing the product's shortcuts: the profile's scan folders, the two-pass folder scan
// and the shortcut contents test.
#include "files/ShortcutCleaner.h"

#include <optional>
#include <utility>
#include <vector>

#include "files/AgentSearch.h"
#include "files/ProfileFolder.h"
#include "platform/AsciiCase.h"

namespace qc {
namespace {

constexpr const char* kDesktopFragment = "Kelvora Quenzor Plexarium by Norvane";
constexpr const char* kStartMenuFragment = "Kelvora Quenzor Plexarium";
constexpr std::string_view kShortcutMarker = ".LNK";

struct Selected {
  std::string path;
  std::uint32_t listedAttributes;  // fallback when the attributes cannot be read again
};

// Lines of a selected folder's scan, held back until the folder's own line, which
// depends on how the scan ended, has been written in front of them.
class HeldLines final : public IResultsList {
 public:
  void AddItem(std::string_view line) override { lines_.emplace_back(line); }
  void AppendTo(IResultsList& list) const {
    for (const std::string& line : lines_) list.AddItem(line);
  }

 private:
  std::vector<std::string> lines_;
};

// A delete is proven by the entry being gone, not by the call's status.
bool IsGone(IFileSystem& fs, const std::string& path) {
  return !fs.GetAttributes(path).has_value();
}

bool IsSelected(IFileSystem& fs, const std::string& entryPath, const std::string& upperFind) {
  const std::string upperPath = ToUpperAscii(entryPath);
  if (upperPath.find(kShortcutMarker) != std::string::npos) {
    return ShortcutTargetsAgent(fs, entryPath);
  }
  return upperPath.find(upperFind) != std::string::npos;
}

// First pass: the folder is listed and judged completely before anything in it changes.
std::vector<Selected> SelectEntries(IFileSystem& fs, const std::string& dirname,
                                    const std::string& tofind) {
  std::vector<Selected> selection;
  const std::optional<std::vector<DirEntry>> entries = fs.List(dirname + "\\*.*", kListAll);
  if (!entries) return selection;  // missing or unreadable: nothing to select
  const std::string upperFind = ToUpperAscii(tofind);
  for (const DirEntry& entry : *entries) {
    // An empty name would make the entry path the folder itself.
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    std::string entryPath = dirname + "\\" + entry.name;
    if (IsSelected(fs, entryPath, upperFind)) {
      selection.push_back({std::move(entryPath), entry.attributes});
    }
  }
  return selection;
}

void ReportFolder(IFileSystem& fs, IResultsList& listWork, const std::string& path) {
  listWork.AddItem((IsGone(fs, path) ? "Directory Removed: " : "Directory Not Removed: ") + path);
}

// A junction, symbolic link or mount point is removed itself; what it points to is
// never listed, so nothing outside the scanned tree can be lost through it.
void RemoveFolderLink(IFileSystem& fs, IResultsList& listWork, const std::string& path) {
  fs.RemoveFolder(path);
  ReportFolder(fs, listWork, path);
}

void RemoveSelectedFolder(IFileSystem& fs, IResultsList& listWork, const std::string& path,
                          const std::string& tofind) {
  HeldLines inside;
  SearchDirDel(fs, inside, path, tofind, true);
  ReportFolder(fs, listWork, path);
  inside.AppendTo(listWork);
}

void RemoveSelectedFile(IFileSystem& fs, IResultsList& listWork, const std::string& path,
                        std::uint32_t attributes) {
  // Read-only, hidden and system files go too, since the delete itself is not forced.
  // A file link keeps its attributes: resetting them could reach the link's target.
  if ((attributes & kAttrReparsePoint) == 0) fs.SetAttributes(path, 0);
  fs.RemoveFile(path, false);
  listWork.AddItem((IsGone(fs, path) ? "File Deleted: " : "File Not Deleted: ") + path);
}

// Second pass: one entry at a time, completely, in listing order.
void ActOn(IFileSystem& fs, IResultsList& listWork, const Selected& entry,
           const std::string& tofind) {
  const std::uint32_t attributes = fs.GetAttributes(entry.path).value_or(entry.listedAttributes);
  const bool folder = (attributes & kAttrDirectory) != 0;
  if (folder && (attributes & kAttrReparsePoint) != 0) {
    RemoveFolderLink(fs, listWork, entry.path);
  } else if (folder) {
    RemoveSelectedFolder(fs, listWork, entry.path, tofind);
  } else {
    RemoveSelectedFile(fs, listWork, entry.path, attributes);
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

void SearchDirDel(IFileSystem& fs, IResultsList& listWork, const std::string& dirname,
                  const std::string& tofind, bool delatend) {
  const std::vector<Selected> selection = SelectEntries(fs, dirname, tofind);
  for (const Selected& entry : selection) ActOn(fs, listWork, entry, tofind);
  // Whether this worked is judged by the caller, which writes the folder's line.
  if (delatend) fs.RemoveFolder(dirname);
}

void CleanProfile(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsList& listWork) {
  const std::optional<std::string> profile = env.Get("USERPROFILE");
  // Without a real profile the scan folders would sit at the root of the current drive.
  if (!profile || !IsUsableProfileFolder(*profile)) {
    listWork.AddItem(kProfileUnknownLine);
    return;
  }
  const std::string desktop = *profile + "\\Desktop";
  std::string startMenu = *profile + "\\Start Menu";
  if (IsNtVersion6(os)) startMenu = *profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
  const std::string startUp = startMenu + "\\Programs\\StartUp";
  SearchDirDel(fs, listWork, desktop, kDesktopFragment, false);
  SearchDirDel(fs, listWork, startMenu, kStartMenuFragment, false);
  SearchDirDel(fs, listWork, startUp, kStartMenuFragment, false);
}

}  // namespace qc
