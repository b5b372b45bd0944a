// Adapter for appending to the run log and rotating it.
#pragma once

#include "platform/LogFile.h"

namespace qc::win {

class Win32LogFile final : public ILogFile {
 public:
  Status Append(const std::string& path, std::string_view bytes) override;
  std::optional<std::uint64_t> Size(const std::string& path) override;
  Status Replace(const std::string& from, const std::string& to) override;
};

}  // namespace qc::win
