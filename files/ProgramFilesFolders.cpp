// The product's installation folders under the Program Files folders Windows reports.
#include "files/ProgramFilesFolders.h"

#include <algorithm>
#include <string_view>

#include "base/AsciiCase.h"
#include "base/FolderPath.h"
#include "files/FileCleaner.h"

namespace qc {
namespace {

constexpr std::string_view kLiteralRoot = "C:\\Program Files";

}  // namespace

std::vector<std::string> ExtraProgramFilesRoots(
    const std::vector<std::optional<std::string>>& values) {
  std::vector<std::string> roots;
  std::vector<std::string> seen = {std::string(kLiteralRoot)};
  for (const auto& value : values) {
    // Taken apart like every base folder; only a drive's folder is trusted, as a share
    // is not where Windows installs programs.
    const std::optional<std::string> folder = NormaliseFolder(value.value_or(""));
    if (!folder || (*folder)[1] != ':') continue;
    const auto same = [&](const std::string& s) { return SameAscii(s, *folder); };
    if (std::any_of(seen.begin(), seen.end(), same)) continue;
    seen.push_back(*folder);
    roots.push_back(*folder);
  }
  return roots;
}

std::optional<std::string> ProgramFilesEnvironment::Get(const std::string& name) {
  std::optional<std::string> value = env_.Get(name);
  if (value || name != "ProgramW6432" || !machine_.IsWindows64Bit()) return value;
  return machine_.ProgramFiles64();
}

std::vector<std::string> ExtraInstallFolders(IEnvironment& env) {
  std::vector<std::optional<std::string>> values;
  for (const char* name : kProgramFilesVariables) values.push_back(env.Get(name));
  std::vector<std::string> folders;
  // The clean-up list's own Program Files entries, moved under each other root.
  for (const std::string& root : ExtraProgramFilesRoots(values)) {
    for (std::string_view folder : kInstallFolders) {
      if (!folder.starts_with(kLiteralRoot) || folder[kLiteralRoot.size()] != '\\') continue;
      folders.push_back(root + std::string(folder.substr(kLiteralRoot.size())));
    }
  }
  return folders;
}

}  // namespace qc
