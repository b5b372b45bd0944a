// A folder path that comes from outside the program (the environment, the shell), taken
// apart once into the one spelling that every path of a run is built on.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qc {

// The parts of a path between its backslashes, in order, empty ones included: "a\\\\b\\"
// has "a", "", "b" and "". The one splitter of paths the program builds.
inline std::vector<std::string_view> PathParts(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    parts.push_back(path.substr(start, end - start));
    if (end == path.size()) return parts;
    start = end + 1;
  }
}

// The folder with backslashes only and no empty, "." or ".." component and no trailing
// separator: "X:\a\b", "X:" for a drive's root, or "\\server\share\a". Either separator
// is accepted, doubled ones collapse, "." is dropped and ".." steps back. Appending "\"
// and a name then gives a path that Windows need not rewrite, so the long-path form can
// name every item exactly. nullopt for anything that is not an absolute folder: empty,
// relative, rooted on the current drive ("\Users\x"), drive-relative ("C:x"), a share
// without its name, a device or "\\?\" path, or ".." above the root.
inline std::optional<std::string> NormaliseFolder(std::string_view text) {
  const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const bool drive =
      text.size() >= 3 && isLetter(text[0]) && text[1] == ':' && isSeparator(text[2]);
  const bool share = !drive && text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1]);
  if (!drive && !share) return std::nullopt;
  const std::size_t fixedParts = share ? 2 : 0;  // a share's server and name stay put
  std::vector<std::string_view> parts;
  for (std::size_t start = drive ? 3 : 2; start <= text.size();) {
    std::size_t end = start;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    const std::string_view part = text.substr(start, end - start);
    const bool dots = part == "." || part == "..";
    if (dots && parts.size() < fixedParts + (part == ".." ? 1 : 0)) return std::nullopt;
    if (part == "..") {
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  if (parts.size() < fixedParts || (share && parts[0] == "?")) return std::nullopt;
  std::string out(drive ? text.substr(0, 2) : std::string_view("\\"));
  for (std::string_view part : parts) {
    out += '\\';
    out += part;
  }
  return out;
}

}  // namespace qc
