// Opening a path from its base down, following only the profile's own links.
#include "files/OpenPath.h"

#include <array>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/FolderPath.h"

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

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

std::vector<std::string> Names(std::string_view rest) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start <= rest.size();) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string_view::npos) end = rest.size();
    if (end > start) names.emplace_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// "X:" or "\\server\share": where a path that lies in no profile is opened from.
std::optional<std::size_t> RootLength(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 2;
  if (!path.starts_with("\\\\")) return std::nullopt;
  const std::size_t server = path.find('\\', 2);
  if (server == std::string_view::npos || server == 2) return std::nullopt;
  const std::size_t share = path.find('\\', server + 1);
  return share == std::string_view::npos ? path.size() : share;
}

// Where a profile link leads, as a path inside the profile; nullopt when it leads
// elsewhere or its target cannot be read. folder is the link's folder.
std::optional<std::string> InsideProfile(IFileItem& link, const std::string& folder,
                                         std::string_view profile) {
  const std::optional<std::string> target = link.LinkTarget();
  if (!target) return std::nullopt;
  std::optional<std::string> full = NormaliseFolder(*target);
  if (!full) full = NormaliseFolder(folder + "\\" + *target);  // a relative target
  if (!full) return std::nullopt;
  const std::string upper = ToUpperAscii(*full);
  const std::string base = ToUpperAscii(profile);
  if (upper == base) return std::string();
  if (!upper.starts_with(base + "\\")) return std::nullopt;
  return full->substr(base.size() + 1);
}

OpenedPath LinkElsewhere() {
  OpenedPath out;
  out.state = PathState::LinkElsewhere;
  return out;
}

bool IsProfileLink(std::string_view relative) {
  for (std::string_view link : kProfileLinks) {
    if (SameAscii(link, relative)) return true;
  }
  return false;
}

}  // namespace

std::string LinkElsewhereLine(const std::string& path) {
  return "Error: A link on the way to " + path + " leads elsewhere; it was not cleaned";
}

namespace {

// Where a path is opened from, and the names below it.
struct Start {
  std::string base;
  std::vector<std::string> names;
  std::string_view profile;  // empty outside a profile: no link is followed there
};

Start StartOf(const std::string& path, std::string_view profile) {
  if (!profile.empty() && ToUpperAscii(path).starts_with(ToUpperAscii(profile) + "\\")) {
    return {std::string(profile), Names(std::string_view(path).substr(profile.size())), profile};
  }
  if (const auto root = RootLength(path)) {
    return {path.substr(0, *root), Names(std::string_view(path).substr(*root)), {}};
  }
  return {};
}

}  // namespace

OpenedPath OpenPath(IFileSystem& fs, const std::string& path, std::string_view userProfile,
                    bool followLast) {
  auto [base, names, profile] = StartOf(path, userProfile);
  for (int links = 0; links <= kMaxLinks && !names.empty(); ++links) {
    OpenedPath out;
    OpenedItem opened = fs.OpenBase(base);
    out.status = opened.status;
    std::unique_ptr<IFileItem> folder = std::move(opened.item);
    std::string relative;  // folder's path inside the base
    for (std::size_t i = 0; folder != nullptr; ++i) {
      const bool last = i + 1 == names.size();
      if (names[i] == "." || names[i] == "..") return out;
      OpenedItem child = folder->OpenChild(names[i]);
      out.status = child.status;
      if (!child.item) {
        if (last) out = {PathState::Missing, child.status, std::move(folder), nullptr, names[i]};
        return out;
      }
      const std::string childPath = relative.empty() ? names[i] : relative + "\\" + names[i];
      const std::uint32_t attributes = child.item->Attributes();
      if ((attributes & kAttrReparsePoint) != 0 && (!last || followLast)) {
        const std::optional<std::string> inside =
            !profile.empty() && IsProfileLink(childPath)
                ? InsideProfile(*child.item, relative.empty() ? base : base + "\\" + relative,
                                profile)
                : std::nullopt;
        if (!inside) return LinkElsewhere();
        // Along the link's target, from the base again, by the same rule.
        std::vector<std::string> rest = Names(*inside);
        rest.insert(rest.end(), names.begin() + std::ptrdiff_t(i) + 1, names.end());
        names = std::move(rest);
        break;
      }
      if (last) {
        return {PathState::Opened, child.status, std::move(folder), std::move(child.item),
                names[i]};
      }
      if ((attributes & kAttrDirectory) == 0) return out;
      folder = std::move(child.item);
      relative = childPath;
    }
    if (folder == nullptr) return out;
  }
  // Too many links in a row: a loop, or a chain no profile of Windows' own makes.
  return names.empty() ? OpenedPath{} : LinkElsewhere();
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
