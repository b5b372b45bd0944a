// Items opened once without following links, each child opened relative to its folder's
// handle and deleted through its own (ntdll's file calls, through the adapter's table).
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/FolderPath.h"
#include "base/ReparseData.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/NtFile_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// Declared here rather than taken from the SDK headers, whose ntdll parts differ from one
// mingw-w64 release to the next.
constexpr LONG kStatusPending = LONG(0x00000103);
constexpr LONG kStatusOplockBreakInProgress = LONG(0x00000108);  // a success code
constexpr LONG kStatusNoMoreFiles = LONG(0x80000006);
constexpr LONG kStatusNotImplemented = LONG(0xC0000002);
constexpr LONG kStatusInvalidInfoClass = LONG(0xC0000003);
constexpr LONG kStatusInvalidParameter = LONG(0xC000000D);
constexpr LONG kStatusNameNotFound = LONG(0xC0000034);
constexpr LONG kStatusPathNotFound = LONG(0xC000003A);
constexpr LONG kStatusSharingViolation = LONG(0xC0000043);
constexpr LONG kStatusDeletePending = LONG(0xC0000056);
constexpr LONG kStatusNotSupported = LONG(0xC00000BB);
constexpr LONG kStatusCannotDelete = LONG(0xC0000121);
constexpr LONG kStatusNotEmpty = LONG(0xC0000101);
constexpr ULONG kFileOpen = 1;
constexpr ULONG kSynchronousIo = 0x20;         // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kCompleteIfOplocked = 0x100;   // FILE_COMPLETE_IF_OPLOCKED
constexpr ULONG kForBackup = 0x4000;           // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x200000;  // the link itself, never its target
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kFileFullDirectoryInformation = 2;
constexpr int kFileBasicInformation = 4;
constexpr int kFileStandardInformation = 5;
constexpr int kFileDispositionInformation = 13;
constexpr int kFileAttributeTagInformation = 35;
constexpr int kFileDispositionInformationEx = 64;
constexpr ULONG kDispositionDelete = 0x1;           // FILE_DISPOSITION_DELETE
constexpr ULONG kDispositionIgnoreReadOnly = 0x10;  // FILE_DISPOSITION_IGNORE_READONLY_ATTRIBUTE
constexpr ULONG kGetReparsePoint = 0x900A8;         // FSCTL_GET_REPARSE_POINT

struct BasicInformation {
  LARGE_INTEGER creation, lastAccess, lastWrite, change;
  ULONG attributes;
};

// FILE_FULL_DIR_INFORMATION: for a reparse point, EaSize holds its tag.
struct DirectoryInformation {
  ULONG next;
  ULONG index;
  LARGE_INTEGER creation, lastAccess, lastWrite, change, endOfFile, allocation;
  ULONG attributes;
  ULONG nameLength;  // bytes
  ULONG eaSizeOrTag;
  WCHAR name[1];
};

struct AttributeTagInformation {
  ULONG attributes;
  ULONG tag;
};

struct StandardInformation {
  LARGE_INTEGER allocation, endOfFile;
  ULONG links;
  BOOLEAN deletePending, directory;
};

Status FromNt(const NtFileCalls& nt, LONG status, const char* call) {
  if (status >= 0) return Status::Success();
  const DWORD error = nt.toDosError(status);
  return Status::Fail(CodeOf(error), error, call);
}

bool NameGone(LONG status) {
  return status == kStatusNameNotFound || status == kStatusPathNotFound ||
         status == kStatusDeletePending;
}

// NtCreateFile that never waits for another program to give up an opportunistic lock on
// the item: such an open ends at once, with a success code, and counts here as refused
// for the item being in use (the other program may have set the lock to stall the run).
LONG NtOpen(const NtFileCalls& nt, HANDLE root, const std::wstring& name, ACCESS_MASK access,
            ULONG share, ULONG options, HANDLE* out) {
  UNICODE_STRING text{USHORT(name.size() * sizeof(WCHAR)), USHORT(name.size() * sizeof(WCHAR)),
                      const_cast<PWSTR>(name.c_str())};
  // Member by member: the 64-bit headers pad the structure with members of their own.
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(OBJECT_ATTRIBUTES);
  attributes.RootDirectory = root;
  attributes.ObjectName = &text;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK io{};
  *out = nullptr;
  const LONG status = nt.createFile(out, access, &attributes, &io, nullptr, 0, share, kFileOpen,
                                    options | kCompleteIfOplocked | kForBackup, nullptr, 0);
  if (status != kStatusOplockBreakInProgress) return status;
  CloseHandle(*out);
  *out = nullptr;
  return kStatusSharingViolation;
}

// How an item is opened: sharing everything; held, sharing all but its deletion; or for
// its attributes alone.
enum class Way { Shared, Held, LinkOnly };

// Opens name relative to folder without following a link. Handles opened for less than
// deletion still serve listing and reading; their deletion then reports why it was
// refused. Synchronous I/O needs SYNCHRONIZE, which Windows' own profile links deny: for
// those, LinkOnly asks for the attributes alone, and I/O on that handle needs an event.
LONG OpenRelative(const NtFileCalls& nt, HANDLE folder, const std::wstring& name,
                  ACCESS_MASK access, HANDLE* out, Way way = Way::Shared) {
  const bool linkOnly = way == Way::LinkOnly;
  const ACCESS_MASK asked =
      linkOnly ? FILE_READ_ATTRIBUTES : access | SYNCHRONIZE | FILE_READ_ATTRIBUTES;
  const ULONG options = (linkOnly ? 0 : kSynchronousIo) | kOpenReparsePoint;
  return NtOpen(nt, folder, name, asked,
                way == Way::Held ? kShareAll & ~FILE_SHARE_DELETE : kShareAll, options, out);
}

// The reparse-point bit and tag of name as its folder lists it. Wine shows a Unix link
// as a reparse point in listings only, not through the link's own handle. Asked through a
// fresh handle of the same folder (opened relative to it), as a search pattern would stay
// with the folder's own handle and spoil its listing.
AttributeTagInformation ListedReparsePoint(const NtFileCalls& nt, HANDLE folder,
                                           const std::wstring& name) {
  UniqueHandle own;
  if (OpenRelative(nt, folder, std::wstring(), FILE_LIST_DIRECTORY, own.put()) < 0) return {};
  UNICODE_STRING mask{USHORT(name.size() * sizeof(WCHAR)), USHORT(name.size() * sizeof(WCHAR)),
                      const_cast<PWSTR>(name.c_str())};
  LONGLONG buffer[160];  // one entry with a name of up to 255 characters
  IO_STATUS_BLOCK io{};
  if (nt.queryDirectory(own.get(), nullptr, nullptr, nullptr, &io, buffer, sizeof buffer,
                        kFileFullDirectoryInformation, TRUE, &mask, TRUE) < 0) {
    return {};
  }
  const auto* entry = reinterpret_cast<const DirectoryInformation*>(buffer);
  if (!(entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {};
  return {FILE_ATTRIBUTE_REPARSE_POINT, entry->eaSizeOrTag};
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
  Win32FileItem(const NtFileCalls& nt, UniqueHandle handle, Status deleteRefused)
      : nt_(nt), handle_(std::move(handle)), deleteRefused_(deleteRefused) {
    BasicInformation basic{};
    IO_STATUS_BLOCK io{};
    if (nt_.queryInformation(handle_.get(), &io, &basic, sizeof basic, kFileBasicInformation) >=
        0) {
      attributes_ = basic.attributes;
    }
    AttributeTagInformation tag{};
    if ((attributes_ & FILE_ATTRIBUTE_REPARSE_POINT) &&
        nt_.queryInformation(handle_.get(), &io, &tag, sizeof tag, kFileAttributeTagInformation) >=
            0) {
      tag_ = tag.tag;
    }
    StandardInformation standard{};
    if (nt_.queryInformation(handle_.get(), &io, &standard, sizeof standard,
                             kFileStandardInformation) >= 0) {
      links_ = standard.links;
    }
  }
  // A folder that may be a link its handle does not show as one.
  void CheckListing(HANDLE folder, const std::wstring& name) {
    if ((attributes_ & FILE_ATTRIBUTE_DIRECTORY) && !(attributes_ & FILE_ATTRIBUTE_REPARSE_POINT)) {
      const AttributeTagInformation listed = ListedReparsePoint(nt_, folder, name);
      attributes_ |= listed.attributes;
      tag_ = listed.tag;
    }
  }
  std::uint32_t Attributes() const override { return attributes_; }
  std::uint32_t ReparseTag() const override { return tag_; }
  std::uint32_t LinkCount() const override { return links_; }
  std::optional<std::vector<DirEntry>> List() override;
  OpenedItem OpenChild(const std::string& name) override;
  OpenedItem HoldChild(const std::string& name) override;
  std::unique_ptr<IByteStream> Read() override {
    if ((attributes_ & FILE_ATTRIBUTE_DIRECTORY) || !readable_) return nullptr;
    if (GetFileType(handle_.get()) != FILE_TYPE_DISK) return nullptr;
    return std::make_unique<HandleStream>(handle_.get());
  }
  Status SetAttributes(std::uint32_t attributes) override {
    BasicInformation basic{};  // zero times stay as they are
    basic.attributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    IO_STATUS_BLOCK io{};
    const Status status = FromNt(
        nt_, nt_.setInformation(handle_.get(), &io, &basic, sizeof basic, kFileBasicInformation),
        "NtSetInformationFile");
    if (status.ok()) attributes_ = (attributes_ & FILE_ATTRIBUTE_DIRECTORY) | attributes;
    return status;
  }
  Status MarkForDeletion(const DeletionKey&, bool ignoringReadOnly) override {
    if (!deleteRefused_.ok()) return deleteRefused_;
    return ignoringReadOnly ? MarkIgnoringReadOnly() : Mark();
  }
  bool ChildGone(const std::string& name) override {
    UniqueHandle child;
    return NameGone(OpenRelative(nt_, handle_.get(), ToW(name), 0, child.put()));
  }
  std::optional<LinkData> LinkTarget() override;

  bool readable_ = false;

 private:
  OpenedItem OpenLinkOnly(const std::wstring& name, const Status& refused);
  Status Mark();
  Status MarkIgnoringReadOnly();
  Status Disposed(LONG status, bool readOnlyRefuses) const;
  const NtFileCalls& nt_;
  UniqueHandle handle_;
  Status deleteRefused_;  // why the handle was opened without deletion, if it was
  DWORD attributes_ = 0;
  DWORD tag_ = 0;
  ULONG links_ = 0;
};

std::optional<std::vector<DirEntry>> Win32FileItem::List() {
  std::vector<DirEntry> entries;
  std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));  // aligned as ntdll wants
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io{};
    const LONG status = nt_.queryDirectory(handle_.get(), nullptr, nullptr, nullptr, &io,
                                           buffer.data(), ULONG(buffer.size() * sizeof(LONGLONG)),
                                           kFileFullDirectoryInformation, FALSE, nullptr, restart);
    if (status == kStatusNoMoreFiles) return entries;
    if (status < 0) return restart ? std::nullopt : std::optional(entries);
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    for (ULONG offset = 0;;) {
      const auto* entry = reinterpret_cast<const DirectoryInformation*>(bytes + offset);
      const std::wstring_view name(entry->name, entry->nameLength / sizeof(WCHAR));
      const bool reparse = (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (name != L"." && name != L"..") {
        entries.push_back({ToUtf8(name), entry->attributes, reparse ? entry->eaSizeOrTag : 0});
      }
      if (entry->next == 0) break;
      offset += entry->next;
    }
  }
}

OpenedItem Win32FileItem::OpenChild(const std::string& name) {
  const std::wstring wide = ToW(name);
  UniqueHandle child;
  LONG status = OpenRelative(nt_, handle_.get(), wide,
                             DELETE | FILE_WRITE_ATTRIBUTES | FILE_READ_DATA, child.put());
  if (status >= 0) {
    auto item = std::make_unique<Win32FileItem>(nt_, std::move(child), Status::Success());
    item->readable_ = true;
    item->CheckListing(handle_.get(), wide);
    return {Status::Success(), std::move(item)};
  }
  if (NameGone(status)) return {FromNt(nt_, status, "NtCreateFile"), nullptr};
  // Refused deletion (in use without sharing it, or denied): still listed, read, judged.
  const Status refused = FromNt(nt_, status, "NtCreateFile");
  bool readable = true;
  status = OpenRelative(nt_, handle_.get(), wide, FILE_READ_DATA, child.put());
  if (status < 0) {
    readable = false;
    status = OpenRelative(nt_, handle_.get(), wide, 0, child.put());
  }
  if (status < 0) return OpenLinkOnly(wide, refused);
  auto item = std::make_unique<Win32FileItem>(nt_, std::move(child), refused);
  item->readable_ = readable;
  item->CheckListing(handle_.get(), wide);
  return {Status::Success(), std::move(item)};
}

OpenedItem Win32FileItem::HoldChild(const std::string& name) {
  const std::wstring wide = ToW(name);
  UniqueHandle child;
  const LONG status =
      OpenRelative(nt_, handle_.get(), wide, FILE_LIST_DIRECTORY, child.put(), Way::Held);
  if (status < 0) {
    const Status refused = FromNt(nt_, status, "NtCreateFile");
    return NameGone(status) ? OpenedItem{refused, nullptr} : OpenLinkOnly(wide, refused);
  }
  auto item = std::make_unique<Win32FileItem>(
      nt_, std::move(child), Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "held"));
  item->CheckListing(handle_.get(), wide);
  return {Status::Success(), std::move(item)};
}

// Windows' own profile links deny everyone SYNCHRONIZE and listing on the link itself, so
// they open only for their attributes, which is all that reading their target needs.
// Anything else that opens only so stays refused, as before.
OpenedItem Win32FileItem::OpenLinkOnly(const std::wstring& name, const Status& refused) {
  UniqueHandle child;
  if (OpenRelative(nt_, handle_.get(), name, 0, child.put(), Way::LinkOnly) < 0) {
    return {refused, nullptr};
  }
  auto item = std::make_unique<Win32FileItem>(nt_, std::move(child), refused);
  item->CheckListing(handle_.get(), name);
  if (!(item->Attributes() & FILE_ATTRIBUTE_REPARSE_POINT)) return {refused, nullptr};
  return {Status::Success(), std::move(item)};
}

Status Win32FileItem::Mark() {
  BOOLEAN deleteFile = TRUE;  // FILE_DISPOSITION_INFORMATION
  IO_STATUS_BLOCK io{};
  return Disposed(nt_.setInformation(handle_.get(), &io, &deleteFile, sizeof deleteFile,
                                     kFileDispositionInformation),
                  (attributes_ & FILE_ATTRIBUTE_READONLY) != 0);
}

Status Win32FileItem::MarkIgnoringReadOnly() {
  ULONG flags = kDispositionDelete | kDispositionIgnoreReadOnly;  // FILE_DISPOSITION_INFORMATION_EX
  IO_STATUS_BLOCK io{};
  const LONG status =
      nt_.setInformation(handle_.get(), &io, &flags, sizeof flags, kFileDispositionInformationEx);
  // Windows before 10 1809, Wine 8 and file systems other than NTFS know neither the class
  // nor the flag: the read-only item stays, as Windows refuses it.
  if (status == kStatusInvalidInfoClass || status == kStatusInvalidParameter ||
      status == kStatusNotImplemented || status == kStatusNotSupported) {
    return Status::Fail(StatusCode::Denied, ERROR_ACCESS_DENIED, "FileDispositionInformationEx");
  }
  return Disposed(status, false);
}

// How setting an item's disposition ended. Refused for a read-only item (where that
// counts), and for a running program or a loaded library: that one is in use, and may go
// at the next restart like any other file in use.
Status Win32FileItem::Disposed(LONG status, bool readOnlyRefuses) const {
  if (status == kStatusCannotDelete && !readOnlyRefuses) {
    return Status::Fail(StatusCode::InUse, ERROR_ACCESS_DENIED, "NtSetInformationFile");
  }
  if (status == kStatusNotEmpty) {
    return Status::Fail(StatusCode::NotEmpty, ERROR_DIR_NOT_EMPTY, "NtSetInformationFile");
  }
  return FromNt(nt_, status, "NtSetInformationFile");
}

// A junction's or symbolic link's stored target, read through the link's own handle. The
// handle may be asynchronous (a profile link's), so the call completes on an event of its
// own; FSCTL_GET_REPARSE_POINT needs no access right.
std::optional<LinkData> Win32FileItem::LinkTarget() {
  if (!(attributes_ & FILE_ATTRIBUTE_REPARSE_POINT)) return std::nullopt;
  const UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) return std::nullopt;
  std::vector<LONGLONG> buffer(16 * 1024 / sizeof(LONGLONG));  // the largest reparse data
  IO_STATUS_BLOCK io{};
  LONG status = nt_.fsControl(handle_.get(), done.get(), nullptr, nullptr, &io, kGetReparsePoint,
                              nullptr, 0, buffer.data(), ULONG(buffer.size() * sizeof(LONGLONG)));
  if (status == kStatusPending) {
    if (WaitForSingleObject(done.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
    status = io.Status;
  }
  if (status < 0) return std::nullopt;
  const std::size_t size = std::min<std::size_t>(io.Information, buffer.size() * sizeof(LONGLONG));
  return ParseReparseData(reinterpret_cast<const std::uint8_t*>(buffer.data()), size);
}

}  // namespace

const NtFileCalls& NtdllFileCalls() {
  static const NtFileCalls nt{
      SystemFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile"),
      SystemFunction<NtQueryDirectoryFileFn>(L"ntdll.dll", "NtQueryDirectoryFile"),
      SystemFunction<NtSetInformationFileFn>(L"ntdll.dll", "NtSetInformationFile"),
      SystemFunction<NtQueryInformationFileFn>(L"ntdll.dll", "NtQueryInformationFile"),
      SystemFunction<NtFsControlFileFn>(L"ntdll.dll", "NtFsControlFile"),
      SystemFunction<RtlNtStatusToDosErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError")};
  return nt;
}

Win32FileSystem::Win32FileSystem() : nt_(NtdllFileCalls()) {}

namespace {

// A base folder, followed when it is a link: the base is the administrator's choice, not a
// user's. Opened through ntdll, so that no opportunistic lock can make the open wait.
OpenedItem OpenBaseFolder(const NtFileCalls& nt, const std::string& path, ULONG share) {
  // "X:" or a relative path would open a folder that depends on the working folder.
  if (!NormaliseFolder(path)) {
    return {Status::Fail(StatusCode::Failed, ERROR_INVALID_NAME, "OpenBase"), nullptr};
  }
  // The long form "\\?\..." as NT names it: "\??\...".
  const std::wstring name = L"\\??\\" + WinPath(path).substr(4);
  UniqueHandle base;
  const LONG status =
      NtOpen(nt, nullptr, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share,
             kSynchronousIo, base.put());
  if (status < 0) return {FromNt(nt, status, "NtCreateFile"), nullptr};
  auto item =
      std::make_unique<Win32FileItem>(nt, std::move(base), Status::Fail(StatusCode::Denied));
  if (!(item->Attributes() & FILE_ATTRIBUTE_DIRECTORY)) {
    return {Status::Fail(StatusCode::NotFound, ERROR_DIRECTORY, "NtCreateFile"), nullptr};
  }
  return {Status::Success(), std::move(item)};
}

}  // namespace

OpenedItem Win32FileSystem::OpenBase(const std::string& path) {
  return OpenBaseFolder(nt_, path, kShareAll);
}

OpenedItem Win32FileSystem::HoldBase(const std::string& path) {
  return OpenBaseFolder(nt_, path, kShareAll & ~FILE_SHARE_DELETE);
}

}  // namespace qc::win
