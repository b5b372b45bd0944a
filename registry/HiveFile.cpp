// Reaching a signed-out user's hive file from the profile, holding the way to it.
#include "registry/HiveFile.h"

#include <string_view>

namespace qc {
namespace {

enum class Look { Missing, Plain, Refused };

// A hive file or log that is a link, or a second name of another file, would have Windows
// read or write that other file as the system account.
Look LookAt(IFileItem& folder, const std::string& name) {
  const OpenedItem opened = folder.OpenChild(name);
  if (!opened.item) {
    return opened.status.code == StatusCode::NotFound ? Look::Missing : Look::Refused;
  }
  const std::uint32_t attributes = opened.item->Attributes();
  const bool plain =
      (attributes & (kAttrReparsePoint | kAttrDirectory)) == 0 && opened.item->LinkCount() == 1;
  return plain ? Look::Plain : Look::Refused;
}

}  // namespace

HiveFile ReachHiveFile(IFileSystem& fs, const std::string& path, const std::string& profile) {
  HiveFile hive;
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return hive;
  const std::string name = path.substr(cut + 1);
  hive.folders = OpenPath(fs, path.substr(0, cut), profile, true, true);
  const PathState state = hive.folders.state;
  if (state == PathState::LinkElsewhere || state == PathState::Unreachable) {
    hive.state = HiveFileState::Refused;
  }
  if (state != PathState::Opened || (hive.folders.item->Attributes() & kAttrDirectory) == 0) {
    return hive;
  }
  IFileItem& folder = *hive.folders.item;
  const Look file = LookAt(folder, name);
  if (file == Look::Missing) return hive;
  hive.state = HiveFileState::Refused;
  if (file == Look::Refused) return hive;
  for (std::string_view log : {".LOG", ".LOG1", ".LOG2"}) {
    if (LookAt(folder, name + std::string(log)) == Look::Refused) return hive;
  }
  hive.path = hive.folders.walked + "\\" + name;
  hive.state = HiveFileState::Ready;
  return hive;
}

}  // namespace qc
