// Folder listing, attributes, empty-folder removal and reading files.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

StatusCode CodeOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StatusCode::NotFound;
    case ERROR_ACCESS_DENIED:
      return StatusCode::Denied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return StatusCode::InUse;
    default:
      return StatusCode::Failed;
  }
}

Status LastError(const char* call) {
  const DWORD error = GetLastError();
  return Status::Fail(CodeOf(error), error, call);
}

// The "\\?\" form reaches paths longer than MAX_PATH and names that plain paths would
// alter (a trailing dot or blank, a device name such as CON.lnk), so the entry acted on
// is exactly the one listed. It turns off normalisation, so it is used only for paths
// that need none: absolute, backslashes only, no empty, "." or ".." component.
bool NeedsNoNormalising(std::wstring_view p, std::size_t from) {
  if (p.find(L'/') != std::wstring_view::npos) return false;
  std::size_t start = from;
  for (;;) {
    const std::size_t end = std::min(p.find(L'\\', start), p.size());
    const std::wstring_view part = p.substr(start, end - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (end == p.size()) return true;
    start = end + 1;
  }
}

std::wstring WinPath(const std::string& path) {
  std::wstring w = ToW(path);
  const std::wstring_view v = w;
  const bool drive = v.size() >= 4 && v[1] == L':' && v[2] == L'\\' &&
                     ((v[0] >= L'A' && v[0] <= L'Z') || (v[0] >= L'a' && v[0] <= L'z'));
  const bool share = v.size() >= 5 && v.starts_with(L"\\\\") && v[2] != L'?' && v[2] != L'.';
  if (drive && NeedsNoNormalising(v, 3)) return L"\\\\?\\" + w;
  if (share && NeedsNoNormalising(v, 2)) return L"\\\\?\\UNC\\" + w.substr(2);
  return w;
}

// The listing pattern keeps its wildcard last component; only the folder part must
// be free of anything that needs normalising.
std::wstring WinPattern(const std::string& pattern) {
  const std::size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) return ToW(pattern);
  return WinPath(pattern.substr(0, slash)) + ToW(pattern.substr(slash));
}

// Hidden, system and folder entries are listed only when the selection asks for them;
// everything else is always listed.
bool InSelection(DWORD attributes, std::uint32_t selection) {
  const DWORD gated = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  return (attributes & gated & ~DWORD(selection)) == 0;
}

class FileByteStream final : public IByteStream {
 public:
  explicit FileByteStream(UniqueHandle file) : file_(std::move(file)) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    const DWORD want = DWORD(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) return std::nullopt;
    return std::size_t(got);
  }

 private:
  UniqueHandle file_;
};

}  // namespace

std::optional<std::vector<DirEntry>> Win32FileSystem::List(const std::string& pattern,
                                                           std::uint32_t selection) {
  WIN32_FIND_DATAW data{};
  UniqueFind find(FindFirstFileExW(WinPattern(pattern).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  std::vector<DirEntry> entries;
  if (!find) {
    // A drive's root has no "." entry, so an empty match is not a failure.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return std::nullopt;
  }
  do {
    if (InSelection(data.dwFileAttributes, selection)) {
      entries.push_back({ToUtf8(data.cFileName), std::uint32_t(data.dwFileAttributes)});
    }
  } while (FindNextFileW(find.get(), &data));
  // A listing cut short by an error keeps what it found: each entry is judged alone.
  return entries;
}

std::optional<std::uint32_t> Win32FileSystem::GetAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WinPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return std::uint32_t(attributes);
}

Status Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  // Windows spells "no attribute at all" as FILE_ATTRIBUTE_NORMAL.
  const DWORD value = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : DWORD(attributes);
  if (!SetFileAttributesW(WinPath(path).c_str(), value)) return LastError("SetFileAttributesW");
  return Status::Success();
}

Status Win32FileSystem::RemoveFolder(const std::string& path) {
  // On a junction or a folder symbolic link this removes the link, not its target.
  if (!RemoveDirectoryW(WinPath(path).c_str())) return LastError("RemoveDirectoryW");
  return Status::Success();
}

std::unique_ptr<IByteStream> Win32FileSystem::OpenRead(const std::string& path) {
  // Sharing everything lets a shortcut that another program holds open still be read;
  // without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened at all.
  UniqueHandle file(CreateFileW(WinPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  // A pipe or a device could block the scan forever; only disk files are read.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
  return std::make_unique<FileByteStream>(std::move(file));
}

}  // namespace qc::win
