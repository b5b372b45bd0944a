// The run log's file: opened once per run and written through that handle, with its
// owner reported so the run can refuse a file someone else put there; every outcome is
// a value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace qc {

// One open log file; closed when destroyed.
class ILogWriter {
 public:
  virtual ~ILogWriter() = default;
  // Appends the bytes at the end of the file.
  virtual Status Write(std::string_view bytes) = 0;
};

enum class LogCreation { OpenOrCreate, CreateOnly };

struct OpenedLog {
  Status status;                       // Denied also for a link or a second name of a file
  std::string ownerSid;                // the file's owner; empty when it names none
  std::unique_ptr<ILogWriter> writer;  // set when status is ok
};

class ILogFile {
 public:
  virtual ~ILogFile() = default;
  // Opens the file for appending without following a link. CreateOnly fails when
  // anything exists at the path already.
  virtual OpenedLog Open(const std::string& path, LogCreation creation) = 0;
  // Creates the folder; ok when it exists already.
  virtual Status CreateFolder(const std::string& path) = 0;
  // The file's size in bytes; nullopt when it does not exist or cannot be read.
  virtual std::optional<std::uint64_t> Size(const std::string& path) = 0;
  // Renames from to to, replacing a file already at to.
  virtual Status Replace(const std::string& from, const std::string& to) = 0;
};

}  // namespace qc
