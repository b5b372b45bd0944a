// Existence tests and deletion of files and folder trees.
#include "platform/win32/FileSystem_win32.h"

#include <windows.h>

#include <string>
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

struct Item {
  std::wstring name;
  DWORD attributes;
};

struct PendingFolder {
  std::wstring path;
  DWORD attributes;
  std::vector<Item> items;
  std::size_t next = 0;
};

// Removes a folder tree item by item, going on past failures and keeping the
// first one. Links are removed as links: what they point to is not ours.
class TreeRemover {
 public:
  Status Run(const std::wstring& root);

 private:
  std::vector<Item> ListFolder(const std::wstring& folder);
  void RemoveLink(const std::wstring& path, DWORD attributes);
  void RemoveOneFile(const std::wstring& path, DWORD attributes);
  void RemoveEmptyFolder(const std::wstring& path, DWORD attributes);
  void Note(const char* call);

  Status first_;
};

void TreeRemover::Note(const char* call) {
  const DWORD error = GetLastError();
  // Something that vanished meanwhile is as good as deleted.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
  if (first_.ok()) first_ = Status::Fail(CodeOf(error), error, call);
}

std::vector<Item> TreeRemover::ListFolder(const std::wstring& folder) {
  std::vector<Item> items;
  WIN32_FIND_DATAW data;
  UniqueFind find = FindFirst(folder + L"\\*", &data, false);
  if (!find) {
    Note("FindFirstFileExW");
    return items;
  }
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") items.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileW(find.get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) Note("FindNextFileW");
  return items;  // read whole before deleting, so removal never disturbs the listing
}

void TreeRemover::RemoveLink(const std::wstring& path, DWORD attributes) {
  // Neither call follows the link. Attributes are left alone: setting them through
  // a link can reach its target.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!RemoveDirectoryW(path.c_str())) Note("RemoveDirectoryW");
  } else if (!DeleteFileW(path.c_str())) {
    Note("DeleteFileW");
  }
}

void TreeRemover::RemoveOneFile(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    const DWORD cleared = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (!SetFileAttributesW(path.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL)) {
      Note("SetFileAttributesW");
    }
  }
  if (!DeleteFileW(path.c_str())) Note("DeleteFileW");
}

void TreeRemover::RemoveEmptyFolder(const std::wstring& path, DWORD attributes) {
  // A read-only folder refuses removal, as a read-only file does.
  if ((attributes & FILE_ATTRIBUTE_READONLY) &&
      !SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
    Note("SetFileAttributesW");
  }
  if (!RemoveDirectoryW(path.c_str())) Note("RemoveDirectoryW");
}

// An explicit stack instead of recursion: a hostile tree can be thousands of levels
// deep within the 32767-character path limit.
Status TreeRemover::Run(const std::wstring& root) {
  std::vector<PendingFolder> stack;
  stack.push_back({root, AttributesOf(root).value_or(0), ListFolder(root)});
  while (!stack.empty()) {
    PendingFolder& top = stack.back();
    if (top.next == top.items.size()) {
      RemoveEmptyFolder(top.path, top.attributes);
      stack.pop_back();
      continue;
    }
    const Item item = top.items[top.next++];
    const std::wstring path = top.path + L"\\" + item.name;
    if (item.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveLink(path, item.attributes);
    } else if (item.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      stack.push_back({path, item.attributes, ListFolder(path)});  // invalidates top
    } else {
      RemoveOneFile(path, item.attributes);
    }
  }
  return first_;
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

Status Win32FileSystem::DeleteFolder(const std::string& path) {
  const std::wstring root = WinPath(path);
  const auto attributes = AttributesOf(root);
  if (!attributes) return LastError("GetFileAttributesW");
  if (!(*attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Status::Fail(StatusCode::NotFound, ERROR_DIRECTORY, "GetFileAttributesW");
  }
  // A listed folder that is itself a link: remove the link, keep what it points to.
  if (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return RemoveDirectoryW(root.c_str()) ? Status::Success() : LastError("RemoveDirectoryW");
  }
  return TreeRemover().Run(root);
}

Status Win32FileSystem::RemoveFile(const std::string& path) {
  const std::wstring file = WinPath(path);
  const auto attributes = AttributesOf(file);
  if (!attributes) return LastError("GetFileAttributesW");
  if (*attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return Status::Fail(StatusCode::NotFound, ERROR_FILE_NOT_FOUND, "GetFileAttributesW");
  }
  // Not forced: a read-only file is refused, as DeleteFileW itself would refuse it.
  if (*attributes & FILE_ATTRIBUTE_READONLY) {
    return Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "DeleteFileW");
  }
  return DeleteFileW(file.c_str()) ? Status::Success() : LastError("DeleteFileW");
}

}  // namespace qc::win
