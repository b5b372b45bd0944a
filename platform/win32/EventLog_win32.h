// Adapter for the Application event log.
#pragma once

#include "platform/EventLog.h"

namespace qc::win {

class Win32EventLog final : public IEventLog {
 public:
  bool FileExists(const std::string& path) override;
  Status Report(const std::string& source, EventLevel level, std::uint32_t eventId,
                const std::string& text) override;
};

}  // namespace qc::win
