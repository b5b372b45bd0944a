// Appending to a log file and keeping it small; every outcome is a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace qc {

class ILogFile {
 public:
  virtual ~ILogFile() = default;
  // Appends the bytes at the end of the file, creating it when missing.
  virtual Status Append(const std::string& path, std::string_view bytes) = 0;
  // The file's size in bytes; nullopt when it does not exist or cannot be read.
  virtual std::optional<std::uint64_t> Size(const std::string& path) = 0;
  // Renames from to to, replacing a file already at to.
  virtual Status Replace(const std::string& from, const std::string& to) = 0;
};

}  // namespace qc
