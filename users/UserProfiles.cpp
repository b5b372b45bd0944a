// The user profiles a run as the system account cleans.
#include "users/UserProfiles.h"

#include <algorithm>
#include <optional>

#include "base/AsciiCase.h"
#include "base/FolderPath.h"

namespace qc {
namespace {

// LocalSystem, LocalService and NetworkService: nobody signs in with them. Every other
// account may have run the client: local and domain accounts (S-1-5-21-...) and cloud
// accounts (S-1-12-1-...) alike.
bool IsServiceAccount(const std::string& sid) {
  return SameAscii(sid, "S-1-5-18") || SameAscii(sid, "S-1-5-19") || SameAscii(sid, "S-1-5-20");
}

// nullopt: no folder there, a stale entry, which Windows keeps for long. A folder that is
// itself a link is the profile an administrator moved, and is cleaned where it points.
std::optional<bool> FolderReadable(IFileSystem& fs, const std::string& path) {
  const Attributes attributes = fs.GetAttributes(path);
  if (attributes.gone() || (attributes.ok() && !(attributes.bits & kAttrDirectory))) {
    return std::nullopt;
  }
  return attributes.ok() && fs.List(path + "\\*.*", kListAll).has_value();
}

}  // namespace

std::vector<UserAccount> AccountsToClean(const std::vector<ProfileEntry>& entries,
                                         IFileSystem& fs) {
  std::vector<UserAccount> chosen;
  for (const ProfileEntry& entry : entries) {
    const std::optional<std::string> folder = NormaliseFolder(entry.path);
    // A drive root ("X:") is nobody's profile folder; the per-user paths would leave it.
    if (IsServiceAccount(entry.sid) || !folder || folder->size() <= 2) continue;
    // Windows keeps a "<SID>.bak" copy of a damaged profile's entry naming the same
    // folder; that folder is cleaned once.
    const bool seen = std::any_of(chosen.begin(), chosen.end(), [&](const UserAccount& c) {
      return SameAscii(c.profile, *folder);
    });
    if (seen) continue;
    if (const std::optional<bool> readable = FolderReadable(fs, *folder)) {
      chosen.push_back({entry.sid, *folder, *readable});
    }
  }
  std::stable_sort(chosen.begin(), chosen.end(), [](const UserAccount& a, const UserAccount& b) {
    return ToUpperAscii(a.profile) < ToUpperAscii(b.profile);
  });
  return chosen;
}

}  // namespace qc
