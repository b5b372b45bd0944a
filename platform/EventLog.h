// The Application event log, where the run leaves one event for the tools that collect
// events from many PCs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Status.h"

namespace qc {

enum class EventLevel { Information, Warning, Error };

class IEventLog {
 public:
  virtual ~IEventLog() = default;
  // Whether a file (not a folder) exists at the path: the message file an event
  // viewer needs to show the event's text.
  virtual bool FileExists(const std::string& path) = 0;
  // One event of the source, with the text as the message's only insertion string.
  virtual Status Report(const std::string& source, EventLevel level, std::uint32_t eventId,
                        const std::string& text) = 0;
};

}  // namespace qc
