// Folder listing, attributes and reading files by path.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

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
  UniqueFind find = FindFirst(WinPattern(pattern), &data, true);
  std::vector<DirEntry> entries;
  if (!find) {
    // A drive's root has no "." entry, so an empty match is not a failure.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return std::nullopt;
  }
  do {
    if (InSelection(data.dwFileAttributes, selection)) {
      const bool reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      entries.push_back({ToUtf8(data.cFileName), std::uint32_t(data.dwFileAttributes),
                         reparse ? std::uint32_t(data.dwReserved0) : 0});
    }
  } while (FindNextFileW(find.get(), &data));
  // A listing cut short by an error keeps what it found: each entry is judged alone.
  return entries;
}

Attributes Win32FileSystem::GetAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WinPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {LastError("GetFileAttributesW")};
  return {Status::Success(), std::uint32_t(attributes)};
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
