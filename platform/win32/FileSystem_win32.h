// File-system services on Windows, wide-character APIs, UTF-8 paths. Existence and
// deletion live in FileSystem_win32.cpp; listing, attributes and reading in
// FileScan_win32.cpp.
#pragma once

#include "platform/FileSystem.h"

namespace qc::win {

class Win32FileSystem final : public IFileSystem {
 public:
  bool FolderExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  TreeDeletion DeleteFolder(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                            std::uint32_t selection) override;
  Attributes GetAttributes(const std::string& path) override;
  Status SetAttributes(const std::string& path, std::uint32_t attributes) override;
  Status RemoveFolder(const std::string& path) override;
  std::unique_ptr<IByteStream> OpenRead(const std::string& path) override;
};

}  // namespace qc::win
