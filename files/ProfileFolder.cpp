// Whether a USERPROFILE value can safely be the base of per-user paths.
#include "files/ProfileFolder.h"

namespace qc {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsDrivePath(const std::string& p) {
  return p.size() >= 3 && IsAsciiLetter(p[0]) && p[1] == ':' && p[2] == '\\';
}

// "\\server\share" with both names non-empty; anything after the share is allowed.
bool IsSharePath(const std::string& p) {
  if (p.size() < 5 || p[0] != '\\' || p[1] != '\\') return false;
  const auto serverEnd = p.find('\\', 2);
  if (serverEnd == std::string::npos || serverEnd == 2) return false;
  const auto shareEnd = p.find('\\', serverEnd + 1);
  const auto shareLength = (shareEnd == std::string::npos ? p.size() : shareEnd) - (serverEnd + 1);
  return shareLength > 0;
}

}  // namespace

bool IsUsableProfileFolder(const std::string& profile) {
  return IsDrivePath(profile) || IsSharePath(profile);
}

}  // namespace qc
