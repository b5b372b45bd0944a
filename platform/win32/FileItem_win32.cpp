// Items opened once without following links, each child opened relative to its folder's
// handle and deleted through its own (ntdll's file calls, present since NT 4).
#include <windows.h>
#include <winternl.h>

#include <memory>
#include <vector>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// Declared here rather than taken from the SDK headers, whose ntdll parts differ from one
// mingw-w64 release to the next.
constexpr LONG kStatusNoMoreFiles = LONG(0x80000006);
constexpr LONG kStatusNameNotFound = LONG(0xC0000034);
constexpr LONG kStatusPathNotFound = LONG(0xC000003A);
constexpr LONG kStatusDeletePending = LONG(0xC0000056);
constexpr LONG kStatusCannotDelete = LONG(0xC0000121);
constexpr LONG kStatusNotEmpty = LONG(0xC0000101);
constexpr ULONG kFileOpen = 1;
constexpr ULONG kSynchronousIo = 0x20;         // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kForBackup = 0x4000;           // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x200000;  // the link itself, never its target
constexpr int kFileDirectoryInformation = 1;
constexpr int kFileBasicInformation = 4;
constexpr int kFileDispositionInformation = 13;
constexpr ULONG kGetReparsePoint = 0x900A8;  // FSCTL_GET_REPARSE_POINT
constexpr ULONG kMountPointTag = 0xA0000003;
constexpr ULONG kSymlinkTag = 0xA000000C;

struct BasicInformation {
  LARGE_INTEGER creation, lastAccess, lastWrite, change;
  ULONG attributes;
};

struct DirectoryInformation {
  ULONG next;
  ULONG index;
  LARGE_INTEGER creation, lastAccess, lastWrite, change, endOfFile, allocation;
  ULONG attributes;
  ULONG nameLength;  // bytes
  WCHAR name[1];
};

using NtCreateFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*,
                                     LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);
using NtQueryDirectoryFileFn = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*,
                                             ULONG, int, BOOLEAN, UNICODE_STRING*, BOOLEAN);
using NtSetInformationFileFn = LONG(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
using NtQueryInformationFileFn = NtSetInformationFileFn;
using NtFsControlFileFn = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, ULONG,
                                        void*, ULONG, void*, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG);

struct Ntdll {
  NtCreateFileFn createFile;
  NtQueryDirectoryFileFn queryDirectory;
  NtSetInformationFileFn setInformation;
  NtQueryInformationFileFn queryInformation;
  NtFsControlFileFn fsControl;
  RtlNtStatusToDosErrorFn toDosError;
};

template <typename Fn>
Fn NtdllFunction(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

const Ntdll& Nt() {
  static const Ntdll nt{NtdllFunction<NtCreateFileFn>("NtCreateFile"),
                        NtdllFunction<NtQueryDirectoryFileFn>("NtQueryDirectoryFile"),
                        NtdllFunction<NtSetInformationFileFn>("NtSetInformationFile"),
                        NtdllFunction<NtQueryInformationFileFn>("NtQueryInformationFile"),
                        NtdllFunction<NtFsControlFileFn>("NtFsControlFile"),
                        NtdllFunction<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError")};
  return nt;
}

Status FromNt(LONG status, const char* call) {
  if (status >= 0) return Status::Success();
  const DWORD error = Nt().toDosError(status);
  return Status::Fail(CodeOf(error), error, call);
}

bool NameGone(LONG status) {
  return status == kStatusNameNotFound || status == kStatusPathNotFound ||
         status == kStatusDeletePending;
}

// Opens name relative to folder without following a link. Handles opened for less than
// deletion still serve listing and reading; their deletion then reports why it was
// refused.
LONG OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, HANDLE* out) {
  UNICODE_STRING text{USHORT(name.size() * sizeof(WCHAR)), USHORT(name.size() * sizeof(WCHAR)),
                      const_cast<PWSTR>(name.c_str())};
  // Member by member: the 64-bit headers pad the structure with members of their own.
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(OBJECT_ATTRIBUTES);
  attributes.RootDirectory = folder;
  attributes.ObjectName = &text;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK io{};
  *out = nullptr;
  return Nt().createFile(out, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &io,
                         nullptr, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         kFileOpen, kSynchronousIo | kForBackup | kOpenReparsePoint, nullptr, 0);
}

// The reparse-point bit of name as its folder lists it. Wine shows a Unix link as a
// reparse point in listings only, not through the link's own handle. Asked through a
// fresh handle of the same folder (opened relative to it), as a search pattern would stay
// with the folder's own handle and spoil its listing.
DWORD ListedReparsePoint(HANDLE folder, const std::wstring& name) {
  UniqueHandle own;
  if (OpenRelative(folder, std::wstring(), FILE_LIST_DIRECTORY, own.put()) < 0) return 0;
  UNICODE_STRING mask{USHORT(name.size() * sizeof(WCHAR)), USHORT(name.size() * sizeof(WCHAR)),
                      const_cast<PWSTR>(name.c_str())};
  LONGLONG buffer[160];  // one entry with a name of up to 255 characters
  IO_STATUS_BLOCK io{};
  if (Nt().queryDirectory(own.get(), nullptr, nullptr, nullptr, &io, buffer, sizeof buffer,
                          kFileDirectoryInformation, TRUE, &mask, TRUE) < 0) {
    return 0;
  }
  return reinterpret_cast<const DirectoryInformation*>(buffer)->attributes &
         FILE_ATTRIBUTE_REPARSE_POINT;
}

class HandleStream final : public IByteStream {
 public:
  explicit HandleStream(HANDLE file) : file_(file) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    if (!ReadFile(file_, buffer, DWORD(std::min<std::size_t>(size, 1u << 30)), &got, nullptr)) {
      return std::nullopt;
    }
    return std::size_t(got);
  }

 private:
  HANDLE file_;
};

class Win32FileItem final : public IFileItem {
 public:
  Win32FileItem(UniqueHandle handle, Status deleteRefused)
      : handle_(std::move(handle)), deleteRefused_(deleteRefused) {
    BasicInformation basic{};
    IO_STATUS_BLOCK io{};
    if (Nt().queryInformation(handle_.get(), &io, &basic, sizeof basic, kFileBasicInformation) >=
        0) {
      attributes_ = basic.attributes;
    }
  }
  // A folder that may be a link its handle does not show as one.
  void CheckListing(HANDLE folder, const std::wstring& name) {
    if ((attributes_ & FILE_ATTRIBUTE_DIRECTORY) && !(attributes_ & FILE_ATTRIBUTE_REPARSE_POINT)) {
      attributes_ |= ListedReparsePoint(folder, name);
    }
  }
  std::uint32_t Attributes() const override { return attributes_; }
  std::optional<std::vector<DirEntry>> List() override;
  OpenedItem OpenChild(const std::string& name) override;
  std::unique_ptr<IByteStream> Read() override {
    if ((attributes_ & FILE_ATTRIBUTE_DIRECTORY) || !readable_) return nullptr;
    if (GetFileType(handle_.get()) != FILE_TYPE_DISK) return nullptr;
    return std::make_unique<HandleStream>(handle_.get());
  }
  Status SetAttributes(std::uint32_t attributes) override {
    BasicInformation basic{};  // zero times stay as they are
    basic.attributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    IO_STATUS_BLOCK io{};
    const Status status =
        FromNt(Nt().setInformation(handle_.get(), &io, &basic, sizeof basic, kFileBasicInformation),
               "NtSetInformationFile");
    if (status.ok()) attributes_ = (attributes_ & FILE_ATTRIBUTE_DIRECTORY) | attributes;
    return status;
  }
  Status Delete() override;
  void Close() override { handle_.reset(); }
  bool ChildGone(const std::string& name) override {
    UniqueHandle child;
    return NameGone(OpenRelative(handle_.get(), ToW(name), 0, child.put()));
  }
  std::optional<std::string> LinkTarget() override;

  bool readable_ = false;

 private:
  UniqueHandle handle_;
  Status deleteRefused_;  // why the handle was opened without deletion, if it was
  DWORD attributes_ = 0;
};

std::optional<std::vector<DirEntry>> Win32FileItem::List() {
  std::vector<DirEntry> entries;
  std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));  // aligned as ntdll wants
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io{};
    const LONG status = Nt().queryDirectory(handle_.get(), nullptr, nullptr, nullptr, &io,
                                            buffer.data(), ULONG(buffer.size() * sizeof(LONGLONG)),
                                            kFileDirectoryInformation, FALSE, nullptr, restart);
    if (status == kStatusNoMoreFiles) return entries;
    if (status < 0) return restart ? std::nullopt : std::optional(entries);
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    for (ULONG offset = 0;;) {
      const auto* entry = reinterpret_cast<const DirectoryInformation*>(bytes + offset);
      const std::wstring_view name(entry->name, entry->nameLength / sizeof(WCHAR));
      if (name != L"." && name != L"..") entries.push_back({ToUtf8(name), entry->attributes});
      if (entry->next == 0) break;
      offset += entry->next;
    }
  }
}

OpenedItem Win32FileItem::OpenChild(const std::string& name) {
  const std::wstring wide = ToW(name);
  UniqueHandle child;
  LONG status = OpenRelative(handle_.get(), wide, DELETE | FILE_WRITE_ATTRIBUTES | FILE_READ_DATA,
                             child.put());
  if (status >= 0) {
    auto item = std::make_unique<Win32FileItem>(std::move(child), Status::Success());
    item->readable_ = true;
    item->CheckListing(handle_.get(), wide);
    return {Status::Success(), std::move(item)};
  }
  if (NameGone(status)) return {FromNt(status, "NtCreateFile"), nullptr};
  // Refused deletion (in use without sharing it, or denied): still listed, read, judged.
  const Status refused = FromNt(status, "NtCreateFile");
  bool readable = true;
  status = OpenRelative(handle_.get(), wide, FILE_READ_DATA, child.put());
  if (status < 0) {
    readable = false;
    status = OpenRelative(handle_.get(), wide, 0, child.put());
  }
  if (status < 0) return {refused, nullptr};
  auto item = std::make_unique<Win32FileItem>(std::move(child), refused);
  item->readable_ = readable;
  item->CheckListing(handle_.get(), wide);
  return {Status::Success(), std::move(item)};
}

Status Win32FileItem::Delete() {
  if (!deleteRefused_.ok()) return deleteRefused_;
  BOOLEAN deleteFile = TRUE;  // FILE_DISPOSITION_INFORMATION
  IO_STATUS_BLOCK io{};
  const LONG status = Nt().setInformation(handle_.get(), &io, &deleteFile, sizeof deleteFile,
                                          kFileDispositionInformation);
  // Refused for a read-only item, and for a running program or a loaded library: that
  // one is in use, and may go at the next restart like any other file in use.
  if (status == kStatusCannotDelete && !(attributes_ & FILE_ATTRIBUTE_READONLY)) {
    return Status::Fail(StatusCode::InUse, ERROR_ACCESS_DENIED, "NtSetInformationFile");
  }
  if (status == kStatusNotEmpty) {
    return Status::Fail(StatusCode::Failed, ERROR_DIR_NOT_EMPTY, "NtSetInformationFile");
  }
  return FromNt(status, "NtSetInformationFile");
}

// A junction's or symbolic link's stored target, read through the link's own handle.
std::optional<std::string> Win32FileItem::LinkTarget() {
  if (!(attributes_ & FILE_ATTRIBUTE_REPARSE_POINT)) return std::nullopt;
  std::vector<LONGLONG> buffer(16 * 1024 / sizeof(LONGLONG));
  IO_STATUS_BLOCK io{};
  if (Nt().fsControl(handle_.get(), nullptr, nullptr, nullptr, &io, kGetReparsePoint, nullptr, 0,
                     buffer.data(), ULONG(buffer.size() * sizeof(LONGLONG))) < 0) {
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const BYTE*>(buffer.data());
  const ULONG tag = *reinterpret_cast<const ULONG*>(data);
  // Tag, data length, reserved; then substitute name offset and length (bytes), print
  // name offset and length, a symbolic link's flags, and the path buffer.
  const auto* fields = reinterpret_cast<const USHORT*>(data + 8);
  std::size_t pathBuffer = 16;
  if (tag == kSymlinkTag) {
    pathBuffer = 20;
  } else if (tag != kMountPointTag) {
    return std::nullopt;
  }
  const std::size_t limit = io.Information;
  if (pathBuffer + fields[0] + fields[1] > limit) return std::nullopt;
  std::wstring target(reinterpret_cast<const WCHAR*>(data + pathBuffer + fields[0]),
                      fields[1] / sizeof(WCHAR));
  if (target.starts_with(L"\\??\\UNC\\")) {
    target = L"\\" + target.substr(7);
  } else if (target.starts_with(L"\\??\\")) {
    target = target.substr(4);
  }
  return ToUtf8(target);
}

}  // namespace

OpenedItem Win32FileSystem::OpenBase(const std::string& path) {
  // Followed when it is a link: the base is the administrator's choice, not a user's.
  UniqueHandle base(CreateFileW(WinPath(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!base) return {LastError("CreateFileW"), nullptr};
  auto item = std::make_unique<Win32FileItem>(std::move(base), Status::Fail(StatusCode::Denied));
  if (!(item->Attributes() & FILE_ATTRIBUTE_DIRECTORY)) {
    return {Status::Fail(StatusCode::NotFound, ERROR_DIRECTORY, "CreateFileW"), nullptr};
  }
  return {Status::Success(), std::move(item)};
}

}  // namespace qc::win
