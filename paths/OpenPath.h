// Opening a path to delete in from its base down, one name at a time, so that no link a
// user planted on the way leads a privileged run elsewhere.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "texts/ResultsTexts.h"

namespace qc {

// Missing: the item or a folder on the way is not there (parent is null when a folder on
// the way is missing). Unreachable: a folder on the way, the base included, is there but
// could not be opened, or one of the profile's own links on the way could not be read.
enum class PathState { Opened, Missing, LinkElsewhere, Unreachable };

struct OpenedPath {
  PathState state = PathState::Missing;
  Status status;                      // why the last name tried did not open
  std::unique_ptr<IFileItem> parent;  // the folder of the last name, once reached
  std::unique_ptr<IFileItem> item;    // the item itself when Opened
  std::string name;                   // its name in parent
  std::string walked;  // when Opened: its path by the names walked, the profile's links resolved
  std::vector<std::unique_ptr<IFileItem>> way;  // held: every folder above parent, from the base
};

// The "Error: " line of a path whose way was refused: a link on it leads elsewhere, or a
// folder on it is there but could not be opened; nullopt in any other state.
std::optional<std::string> RefusedWayLine(PathState state, const std::string& path);

// Opens path from profile when it lies inside it (the profile folder is followed even
// when it is a link), else from its drive's root "X:\" or share's "\\server\share\",
// never from a folder that depends on the working folder. On the way only the links
// Windows itself puts in every profile are followed, and only when they lead inside the
// same profile; any other link makes it LinkElsewhere. The last name is opened itself
// when it is a link, unless followLast. The base alone is never the item: Missing. With
// hold, every folder on the way and the item are held (IFileItem::HoldChild) and stay so
// as long as the result lives.
OpenedPath OpenPath(IFileSystem& fs, const std::string& path, std::string_view profile,
                    bool followLast, bool hold = false);

// The listed attributes of name in folder, for a name that exists but cannot be opened.
std::optional<std::uint32_t> ListedAttributes(IFileItem& folder, const std::string& name);

}  // namespace qc
