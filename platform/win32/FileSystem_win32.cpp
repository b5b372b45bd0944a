// Existence tests of files and folders.
#include "platform/win32/FileSystem_win32.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

std::optional<DWORD> AttributesOf(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

}  // namespace

bool Win32FileSystem::FolderExists(const std::string& path) {
  const auto attributes = AttributesOf(WinPath(path));
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FileExists(const std::string& path) {
  const auto attributes = AttributesOf(WinPath(path));
  return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qc::win
