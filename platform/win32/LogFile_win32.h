// Adapter for the run log's file.
#pragma once

#include "platform/LogFile.h"

namespace qc::win {

class Win32LogFile final : public ILogFile {
 public:
  OpenedLog Open(const std::string& path, LogCreation creation) override;
  Status CreateFolder(const std::string& path) override;
  std::optional<std::uint64_t> Size(const std::string& path) override;
  Status Replace(const std::string& from, const std::string& to) override;
};

}  // namespace qc::win
