// Existence tests and deletion of files and folder trees.
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

// Removes a folder tree item by item, going on past failures, keeping the first one
// and noting every item that stayed. Links are removed as links: what they point to is
// not ours.
class TreeRemover {
 public:
  TreeRemover(std::wstring root, std::string rootUtf8)
      : root_(std::move(root)), rootUtf8_(std::move(rootUtf8)) {}
  TreeDeletion Run();

 private:
  std::vector<Item> ListFolder(const std::wstring& folder);
  void RemoveLink(const std::wstring& path, DWORD attributes);
  void RemoveOneFile(const std::wstring& path, DWORD attributes);
  void RemoveEmptyFolder(const std::wstring& path, DWORD attributes);
  Status Note(const char* call);
  void Stayed(const std::wstring& path, bool folder, const Status& status);

  std::wstring root_;
  std::string rootUtf8_;
  TreeDeletion result_;
};

Status TreeRemover::Note(const char* call) {
  const DWORD error = GetLastError();
  // Something that vanished meanwhile is as good as deleted.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Status::Success();
  const Status failure = Status::Fail(CodeOf(error), error, call);
  if (result_.ok()) static_cast<Status&>(result_) = failure;
  return failure;
}

// A folder that is not empty stays because of what is inside it, which is noted itself.
void TreeRemover::Stayed(const std::wstring& path, bool folder, const Status& status) {
  if (status.ok() || (folder && status.error == ERROR_DIR_NOT_EMPTY)) return;
  const std::wstring_view inside = std::wstring_view(path).substr(root_.size());
  result_.stayed.push_back({rootUtf8_ + ToUtf8(inside), folder, status});
}

std::vector<Item> TreeRemover::ListFolder(const std::wstring& folder) {
  std::vector<Item> items;
  WIN32_FIND_DATAW data;
  UniqueFind find = FindFirst(folder + L"\\*", &data, false);
  if (!find) {
    Stayed(folder, true, Note("FindFirstFileExW"));
    return items;
  }
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") items.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileW(find.get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) Stayed(folder, true, Note("FindNextFileW"));
  return items;  // read whole before deleting, so removal never disturbs the listing
}

void TreeRemover::RemoveLink(const std::wstring& path, DWORD attributes) {
  // Neither call follows the link. Attributes are left alone: setting them through
  // a link can reach its target.
  const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (folder) {
    if (!RemoveDirectoryW(path.c_str())) Stayed(path, true, Note("RemoveDirectoryW"));
  } else if (!DeleteFileW(path.c_str())) {
    Stayed(path, false, Note("DeleteFileW"));
  }
}

void TreeRemover::RemoveOneFile(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    const DWORD cleared = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (!SetFileAttributesW(path.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL)) {
      Note("SetFileAttributesW");
    }
  }
  if (!DeleteFileW(path.c_str())) Stayed(path, false, Note("DeleteFileW"));
}

void TreeRemover::RemoveEmptyFolder(const std::wstring& path, DWORD attributes) {
  // A read-only folder refuses removal, as a read-only file does.
  if ((attributes & FILE_ATTRIBUTE_READONLY) &&
      !SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
    Note("SetFileAttributesW");
  }
  if (!RemoveDirectoryW(path.c_str())) Stayed(path, true, Note("RemoveDirectoryW"));
}

// An explicit stack instead of recursion: a hostile tree can be thousands of levels
// deep within the 32767-character path limit.
TreeDeletion TreeRemover::Run() {
  std::vector<PendingFolder> stack;
  stack.push_back({root_, AttributesOf(root_).value_or(0), ListFolder(root_)});
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
  return std::move(result_);
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

TreeDeletion Win32FileSystem::DeleteFolder(const std::string& path) {
  std::wstring root = WinPath(path);
  const auto attributes = AttributesOf(root);
  if (!attributes) return {LastError("GetFileAttributesW")};
  if (!(*attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return {Status::Fail(StatusCode::NotFound, ERROR_DIRECTORY, "GetFileAttributesW")};
  }
  // A listed folder that is itself a link: remove the link, keep what it points to.
  if (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return {RemoveDirectoryW(root.c_str()) ? Status::Success() : LastError("RemoveDirectoryW")};
  }
  return TreeRemover(std::move(root), path).Run();
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
