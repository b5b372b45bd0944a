// Removal at restart only where nobody but administrators can change the path.
#include "files/GuardedRestart.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/FolderPath.h"

namespace qc {
namespace {

// Rights that let their holder change what a name leads to: write or add (a new item, a
// link, a reparse point), delete or rename, change the attributes, the permissions or
// the owner; and the generic rights that include them.
constexpr std::uint32_t kChangeRights = 0x00000002 |  // FILE_WRITE_DATA, FILE_ADD_FILE
                                        0x00000004 |  // FILE_APPEND_DATA, FILE_ADD_SUBDIRECTORY
                                        0x00000010 |  // FILE_WRITE_EA
                                        0x00000040 |  // FILE_DELETE_CHILD
                                        0x00000100 |  // FILE_WRITE_ATTRIBUTES
                                        0x00010000 |  // DELETE
                                        0x00040000 |  // WRITE_DAC
                                        0x00080000 |  // WRITE_OWNER
                                        0x10000000 |  // GENERIC_ALL
                                        0x40000000;   // GENERIC_WRITE

// On a drive's root only the rights to rename or replace what is in it count: users may
// add folders to C:\ by default, which changes no name the run has checked below it.
constexpr std::uint32_t kRootChangeRights = 0x00000040 |  // FILE_DELETE_CHILD
                                            0x00040000 |  // WRITE_DAC
                                            0x00080000 |  // WRITE_OWNER
                                            0x10000000;   // GENERIC_ALL

// "X:\a", "X:\a\b", ... down to the item itself; nullopt for anything but a plain
// drive path, since Windows would resolve another spelling through folders not checked.
std::optional<std::vector<std::string>> Steps(const std::string& path) {
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() < 4 || !isLetter(path[0]) || path.compare(1, 2, ":\\") != 0) return std::nullopt;
  std::vector<std::string> steps;
  std::size_t end = 2;
  for (std::string_view part : PathParts(std::string_view(path).substr(3))) {
    if (part.empty() || part == "." || part == ".." ||
        part.find_first_of("/:*?\"<>|") != std::string_view::npos) {
      return std::nullopt;
    }
    end += 1 + part.size();
    steps.push_back(path.substr(0, end));
  }
  return steps;
}

}  // namespace

Status GuardedRestartRemoval::ScheduleDelete(const std::string& path) {
  const std::optional<std::vector<std::string>> steps = Steps(path);
  if (!steps) return Status::Refused(StatusCode::Denied, "path not checkable");
  // From the top down: once a folder is safe, nobody else can swap what lies below it
  // between its check and the next. The root goes first: whoever may rename its children
  // could move the whole path aside.
  if (!OnlyTrustedMayChange(security_.Read(path.substr(0, 3)), kRootChangeRights)) {
    return Status::Refused(StatusCode::Denied, "drive root changeable by others");
  }
  for (const std::string& step : *steps) {
    if (!OnlyTrustedMayChange(security_.Read(step), kChangeRights)) {
      return Status::Refused(StatusCode::Denied, "path changeable by others");
    }
  }
  return inner_.ScheduleDelete(path);
}

// An owner can always rewrite the DACL, so it counts like a writer. Deny entries only
// take rights away, and inherit-only entries do not apply to the item itself.
bool GuardedRestartRemoval::OnlyTrustedMayChange(const ItemSecurity& item,
                                                 std::uint32_t rights) const {
  if (!item.status.ok() || item.link || item.nullDacl || !Trusted(item.ownerSid)) return false;
  for (const AccessEntry& entry : item.dacl) {
    if (entry.allow && !entry.inheritOnly && (entry.mask & rights) != 0 && !Trusted(entry.sid)) {
      return false;
    }
  }
  return true;
}

bool GuardedRestartRemoval::Trusted(const std::string& sid) const {
  return IsAdministrativeSid(sid) || sid == kTrustedInstallerSid ||
         (!accountSid_.empty() && sid == accountSid_);
}

}  // namespace qc
