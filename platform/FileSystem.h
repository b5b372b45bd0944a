// File-system services: existence, deletion, folder listing, attributes and reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace qc {

inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
// Listing selection: read-only, hidden, system files and sub-folders besides plain files.
inline constexpr std::uint32_t kListAll =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory;

// An entry's attribute bits, or why they could not be read. Only StatusCode::NotFound
// (Windows says "file not found" or "path not found") means that the entry is gone.
struct Attributes {
  Status status;
  std::uint32_t bits = 0;
  bool ok() const { return status.ok(); }
  bool gone() const { return status.code == StatusCode::NotFound; }
};

struct DirEntry {
  std::string name;  // bare name as listed, "." and ".." included
  std::uint32_t attributes = 0;
};

// An item that a folder deletion left behind, and why.
struct Leftover {
  std::string path;
  bool folder = false;
  Status status;
};

// A folder deletion: its first failure, and every item that stayed for a reason of its
// own. A folder that stayed only because something inside it stayed is not listed.
struct TreeDeletion : Status {
  TreeDeletion() = default;
  TreeDeletion(const Status& status) : Status(status) {}  // NOLINT: a failure with no detail
  std::vector<Leftover> stayed;
};

// A file opened for reading, consumed front to back in blocks.
class IByteStream {
 public:
  virtual ~IByteStream() = default;
  // Reads up to size bytes; 0 at the end of the file, nullopt on a read error.
  virtual std::optional<std::size_t> Read(char* buffer, std::size_t size) = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Deletes the folder and everything in it, read-only items included. Best effort:
  // whatever can go goes; links inside are removed, never followed.
  virtual TreeDeletion DeleteFolder(const std::string& path) = 0;
  // Deletes one file; a read-only file is refused.
  virtual Status RemoveFile(const std::string& path) = 0;
  // Lists pattern (a folder path + "\*.*") with the attribute selection; nullopt
  // when the folder cannot be listed.
  virtual std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                                    std::uint32_t selection) = 0;
  virtual Attributes GetAttributes(const std::string& path) = 0;
  virtual Status SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Removes an empty folder, or a link to a folder without touching its target.
  virtual Status RemoveFolder(const std::string& path) = 0;
  virtual std::unique_ptr<IByteStream> OpenRead(const std::string& path) = 0;
};

}  // namespace qc
