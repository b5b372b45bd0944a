// The user profiles a run as the system account cleans.
#include "files/UserProfiles.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/FolderPath.h"

namespace qc {
namespace {

// Accounts of people, local or of a domain; service and built-in accounts have other
// prefixes and no per-user traces of the product.
constexpr const char* kRealAccountPrefix = "S-1-5-21-";

bool IsRealAccount(const std::string& sid) {
  return ToUpperAscii(sid).starts_with(kRealAccountPrefix);
}

// An existing folder itself, not a link: a link would make the run clean whatever it
// points to.
bool IsPlainFolder(IFileSystem& fs, const std::string& path) {
  const Attributes attributes = fs.GetAttributes(path);
  return attributes.ok() && (attributes.bits & kAttrDirectory) &&
         !(attributes.bits & kAttrReparsePoint);
}

}  // namespace

std::vector<ProfileEntry> ProfilesToClean(const std::vector<ProfileEntry>& entries,
                                          IFileSystem& fs) {
  std::vector<ProfileEntry> chosen;
  for (ProfileEntry entry : entries) {
    const std::optional<std::string> folder = NormaliseFolder(entry.path);
    // A drive root ("X:") is nobody's profile folder; the per-user paths would leave it.
    if (!IsRealAccount(entry.sid) || !folder || folder->size() <= 2) continue;
    entry.path = *folder;
    // Windows keeps a "<SID>.bak" copy of a damaged profile's entry naming the same
    // folder; that folder is cleaned once.
    const std::string key = ToUpperAscii(entry.path);
    const bool seen = std::any_of(chosen.begin(), chosen.end(), [&](const ProfileEntry& c) {
      return ToUpperAscii(c.path) == key;
    });
    if (!seen && IsPlainFolder(fs, entry.path)) chosen.push_back(std::move(entry));
  }
  std::stable_sort(chosen.begin(), chosen.end(), [](const ProfileEntry& a, const ProfileEntry& b) {
    return ToUpperAscii(a.path) < ToUpperAscii(b.path);
  });
  return chosen;
}

}  // namespace qc
