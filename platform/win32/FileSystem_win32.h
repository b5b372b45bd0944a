// File-system services on Windows, wide-character APIs, UTF-8 paths. Existence lives in
// FileSystem_win32.cpp; listing, attributes and reading by path in FileScan_win32.cpp;
// the open items everything that deletes goes through in FileItem_win32.cpp.
#pragma once

#include "platform/FileSystem.h"

namespace qc::win {

struct NtFileCalls;

class Win32FileSystem final : public IFileSystem {
 public:
  // Built on ntdll's own file calls, or on a table that stands in front of them.
  Win32FileSystem();
  explicit Win32FileSystem(const NtFileCalls& nt) : nt_(nt) {}
  bool FolderExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                            std::uint32_t selection) override;
  Attributes GetAttributes(const std::string& path) override;
  std::unique_ptr<IByteStream> OpenRead(const std::string& path) override;
  OpenedItem OpenBase(const std::string& path) override;
  OpenedItem HoldBase(const std::string& path) override;

 private:
  const NtFileCalls& nt_;
};

}  // namespace qc::win
