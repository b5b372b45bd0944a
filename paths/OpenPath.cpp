// Opening a path from its base down, following only the profile's own links.
#include "paths/OpenPath.h"

#include <array>
#include <variant>
#include <vector>

#include "base/AsciiCase.h"
#include "base/FolderPath.h"
#include "texts/ResultsTexts.h"

namespace qc {
namespace {

// The links Windows itself makes in every profile since Vista, for the programs written
// for XP's folder names, as paths inside the profile.
constexpr std::array<std::string_view, 22> kProfileLinks = {
    "Application Data",
    "Cookies",
    "Local Settings",
    "My Documents",
    "NetHood",
    "PrintHood",
    "Recent",
    "SendTo",
    "Start Menu",
    "Templates",
    "Local Settings\\Application Data",
    "Local Settings\\History",
    "Local Settings\\Temporary Internet Files",
    "My Documents\\My Music",
    "My Documents\\My Pictures",
    "My Documents\\My Videos",
    "Documents\\My Music",
    "Documents\\My Pictures",
    "Documents\\My Videos",
    "AppData\\Local\\Application Data",
    "AppData\\Local\\History",
    "AppData\\Local\\Temporary Internet Files",
};

// Enough for the profile's own links, which lead one into another at most twice; a loop
// of links ends here.
constexpr int kMaxLinks = 8;

std::vector<std::string> Names(std::string_view rest) {
  std::vector<std::string> names;
  for (std::string_view part : PathParts(rest)) {
    if (!part.empty()) names.emplace_back(part);
  }
  return names;
}

// The length of "X:" or "\\server\share" at the start of an absolute path.
std::optional<std::size_t> RootLength(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || path[2] == '\\')) return 2;
  if (!path.starts_with("\\\\")) return std::nullopt;
  const std::size_t server = path.find('\\', 2);
  if (server == std::string_view::npos || server == 2) return std::nullopt;
  const std::size_t share = path.find('\\', server + 1);
  return share == std::string_view::npos ? path.size() : share;
}

// A folder as a base to open: a drive's or share's root keeps its backslash, since "X:"
// alone names drive X's current folder, whatever the working folder holds.
std::string AbsoluteBase(const std::string& folder) {
  const std::optional<std::size_t> root = RootLength(folder);
  return root && *root == folder.size() ? folder + "\\" : folder;
}

// Where a profile link leads, as a path inside the profile; nullopt when it leads
// elsewhere. folder is the link's folder.
std::optional<std::string> InsideProfile(const LinkData& target, const std::string& folder,
                                         std::string_view profile) {
  std::optional<std::string> full;
  if (!target.relative) {
    full = NormaliseFolder(target.path);
  } else if (target.path.starts_with('\\')) {  // from the root of the link's drive
    full = NormaliseFolder(folder.substr(0, RootLength(folder).value_or(0)) + target.path);
  } else {
    full = NormaliseFolder(folder + "\\" + target.path);
  }
  if (!full) return std::nullopt;
  if (SameAscii(*full, profile)) return std::string();
  if (!StartsWithAscii(*full, profile) || (*full)[profile.size()] != '\\') return std::nullopt;
  return full->substr(profile.size() + 1);
}

OpenedPath Ended(PathState state, Status status = {}) {
  OpenedPath out;
  out.state = state;
  out.status = status;
  return out;
}

// A name that did not open on the way: missing, or there and refused.
OpenedPath NotOpened(const Status& status) {
  return Ended(status.code == StatusCode::NotFound ? PathState::Missing : PathState::Unreachable,
               status);
}

bool IsProfileLink(std::string_view relative) {
  for (std::string_view link : kProfileLinks) {
    if (SameAscii(link, relative)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> RefusedWayLine(PathState state, const std::string& path) {
  if (state == PathState::LinkElsewhere) {
    return LinkElsewhereLine(path);
  }
  if (state == PathState::Unreachable) {
    return UnreachableLine(path);
  }
  return std::nullopt;
}

namespace {

// Where a path is opened from, and the names below it.
struct Start {
  std::string folder;  // normalised: "X:", "\\server\share" or the profile
  std::vector<std::string> names;
  std::string_view profile;  // empty outside a profile: no link is followed there
};

Start StartOf(const std::string& path, std::string_view profile) {
  if (!profile.empty() && path.size() > profile.size() && StartsWithAscii(path, profile) &&
      path[profile.size()] == '\\') {
    return {std::string(profile), Names(std::string_view(path).substr(profile.size())), profile};
  }
  if (const auto root = RootLength(path)) {
    return {path.substr(0, *root), Names(std::string_view(path).substr(*root)), {}};
  }
  return {};
}

// How one pass down the names ends: the path's end, or the names to go on along from the
// start folder again, once a link on the way was followed.
using Onward = std::variant<OpenedPath, std::vector<std::string>>;

// Where child, the link names[i] at relative (its path inside the start folder), leads:
// the names inside the profile to go on along, followed by the rest, or how the path ends.
Onward AlongLink(IFileItem& child, const std::string& relative, const Start& start, std::size_t i) {
  if (start.profile.empty() || !IsProfileLink(relative)) return Ended(PathState::LinkElsewhere);
  const std::optional<LinkData> target = child.LinkTarget();
  if (!target) return Ended(PathState::Unreachable);
  const std::size_t cut = relative.rfind('\\');
  const std::string folder =
      cut == std::string::npos ? start.folder : start.folder + "\\" + relative.substr(0, cut);
  const std::optional<std::string> inside = InsideProfile(*target, folder, start.profile);
  if (!inside) return Ended(PathState::LinkElsewhere);
  std::vector<std::string> names = Names(*inside);
  names.insert(names.end(), start.names.begin() + std::ptrdiff_t(i) + 1, start.names.end());
  return names;
}

std::string Joined(const std::string& folder, const std::vector<std::string>& names) {
  std::string path = folder;
  for (const std::string& name : names) (path += '\\') += name;
  return path;
}

// The folder reached so far on one pass, and what it holds on the way.
struct Reached {
  std::unique_ptr<IFileItem> folder;
  std::string relative;  // its path inside the start folder
  std::vector<std::unique_ptr<IFileItem>> way;
};

// The last name, opened in its folder.
OpenedPath Arrived(Reached& at, OpenedItem child, const Start& start) {
  const std::string& name = start.names.back();
  const PathState state = child.item ? PathState::Opened : PathState::Missing;
  std::string walked = child.item ? Joined(start.folder, start.names) : std::string();
  return {state, child.status,      std::move(at.folder), std::move(child.item),
          name,  std::move(walked), std::move(at.way)};
}

// One pass from the start folder down its names, until the path ends or a link on the way
// is followed. With hold, every folder passed stays held (the ones before a link do not
// belong to the path).
Onward OnePass(IFileSystem& fs, const Start& start, bool followLast, bool hold) {
  const std::string base = AbsoluteBase(start.folder);
  OpenedItem opened = hold ? fs.HoldBase(base) : fs.OpenBase(base);
  if (!opened.item) return NotOpened(opened.status);
  Reached at{std::move(opened.item), {}, {}};
  for (std::size_t i = 0;; ++i) {
    const std::string& name = start.names[i];
    const bool last = i + 1 == start.names.size();
    if (name == "." || name == "..") return OpenedPath{};
    OpenedItem child = hold ? at.folder->HoldChild(name) : at.folder->OpenChild(name);
    if (!child.item && !last) return NotOpened(child.status);
    const std::string childPath = at.relative.empty() ? name : at.relative + "\\" + name;
    if (child.item && IsLink(*child.item) && (!last || followLast)) {
      return AlongLink(*child.item, childPath, start, i);
    }
    if (last) return Arrived(at, std::move(child), start);
    // A file where a folder should be: Windows says the path is not found.
    if ((child.item->Attributes() & kAttrDirectory) == 0) return OpenedPath{};
    if (hold) at.way.push_back(std::move(at.folder));
    at.folder = std::move(child.item);
    at.relative = childPath;
  }
}

}  // namespace

OpenedPath OpenPath(IFileSystem& fs, const std::string& path, std::string_view userProfile,
                    bool followLast, bool hold) {
  Start start = StartOf(path, userProfile);
  for (int links = 0; links <= kMaxLinks && !start.names.empty(); ++links) {
    Onward pass = OnePass(fs, start, followLast, hold);
    if (auto* ended = std::get_if<OpenedPath>(&pass)) return std::move(*ended);
    start.names = std::get<std::vector<std::string>>(std::move(pass));
  }
  // Too many links in a row: a loop, or a chain no profile of Windows' own makes.
  return start.names.empty() ? OpenedPath{} : Ended(PathState::LinkElsewhere);
}

std::optional<std::uint32_t> ListedAttributes(IFileItem& folder, const std::string& name) {
  const std::optional<std::vector<DirEntry>> entries = folder.List();
  if (!entries) return std::nullopt;
  for (const DirEntry& entry : *entries) {
    if (SameAscii(entry.name, name)) return entry.attributes;
  }
  return std::nullopt;
}

}  // namespace qc
