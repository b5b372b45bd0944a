// File-system services on Windows, wide-character APIs, UTF-8 paths. Listing and
// attributes by path live in FileScan_win32.cpp; the open items everything that reads or
// deletes goes through in FileItem_win32.cpp.
#pragma once

#include "platform/FileSystem.h"

namespace qc::win {

struct NtFileCalls;

class Win32FileSystem final : public IFileSystem {
 public:
  // Built on ntdll's own file calls, or on a table that stands in front of them.
  Win32FileSystem();
  explicit Win32FileSystem(const NtFileCalls& nt) : nt_(nt) {}
  std::optional<std::vector<DirEntry>> List(const std::string& pattern,
                                            std::uint32_t selection) override;
  Attributes GetAttributes(const std::string& path) override;
  OpenedItem OpenBase(const std::string& path) override;
  OpenedItem HoldBase(const std::string& path) override;

 private:
  const NtFileCalls& nt_;
};

}  // namespace qc::win
