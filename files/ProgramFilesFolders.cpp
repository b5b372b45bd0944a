// The product's installation folders under the Program Files folders Windows reports.
#include "files/ProgramFilesFolders.h"

#include <algorithm>
#include <string_view>

#include "platform/AsciiCase.h"

namespace qc {
namespace {

constexpr const char* kLiteralRoot = "C:\\Program Files";
constexpr const char* kVersions[] = {"5.1", "5.5", "5.6", "5.9", "6.1"};

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:\" and components that need no normalising: anything else (a relative or
// drive-relative path, "/", "." or "..", an empty component) could make the folder we
// delete another than the one the name seems to say, so such a value is ignored.
bool IsPlainDrivePath(std::string_view p) {
  if (p.size() < 3 || !IsAsciiLetter(p[0]) || p[1] != ':' || p[2] != '\\') return false;
  if (p.find('/') != std::string_view::npos) return false;
  if (p.size() > 3 && p.back() == '\\') return false;
  for (std::size_t start = 3; start < p.size();) {
    const std::size_t end = std::min(p.find('\\', start), p.size());
    const std::string_view part = p.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::vector<std::string> ExtraProgramFilesRoots(
    const std::vector<std::optional<std::string>>& values) {
  std::vector<std::string> roots;
  std::vector<std::string> seen = {ToUpperAscii(kLiteralRoot)};
  for (const auto& value : values) {
    if (!value) continue;
    std::string root = *value;
    if (root.size() > 3 && root.back() == '\\') root.pop_back();
    if (!IsPlainDrivePath(root)) continue;
    if (root.size() == 3) root.pop_back();  // "X:\" itself: the suffix brings the backslash
    const std::string key = ToUpperAscii(root);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    roots.push_back(root);
  }
  return roots;
}

std::vector<std::string> ExtraInstallFolders(IEnvironment& env) {
  std::vector<std::optional<std::string>> values;
  for (const char* name : kProgramFilesVariables) values.push_back(env.Get(name));
  std::vector<std::string> folders;
  for (const std::string& root : ExtraProgramFilesRoots(values)) {
    for (const char* version : kVersions) {
      folders.push_back(root + "\\Norvane Software\\Kelvora Quenzor " + version);
    }
  }
  return folders;
}

}  // namespace qc
