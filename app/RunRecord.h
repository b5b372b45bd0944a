// What a run leaves, besides its log, where administrators' tools look: one event in the
// Application log, and a status key that inventories and the detection rules of
// deployment systems read without a script.
#pragma once

#include <string>

#include "app/RunResults.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/EventLog.h"
#include "platform/Machine.h"
#include "platform/MachineKeys.h"

namespace qc {

inline constexpr const char* kEventSource = "QuenzorCleaner";
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\QuenzorCleaner";
// The message file that eventcreate registers for the sources it makes: its messages 1
// to 1000 are just the inserted text, and it stays where Windows keeps it.
inline constexpr const char* kEventMessageFile = "%SystemRoot%\\System32\\EventCreate.exe";
inline constexpr std::uint32_t kRunEventId = 1;
inline constexpr const char* kStatusKey = "SOFTWARE\\QuenzorCleaner";

struct RunRecordSources {
  IEventLog& events;
  IMachineKeys& keys;
  IEnvironment& environment;
  IMachine& machine;
  IClock& clock;
};

// Nothing here can fail visibly: an event or a status that cannot be written leaves the
// run, its lines and its exit code as they are.
class RunRecord {
 public:
  explicit RunRecord(const RunRecordSources& sources) : s_(sources) {}

  // A run that cleaned: its event, and its status where an administrator or the system
  // account ran it. logPath is empty when no log was written.
  void Finished(const RunCounts& counts, int exitCode, const std::string& summary,
                const std::string& logPath);
  // A silent start that found another clean-up running: its event only. The run that
  // holds the lock records its status when it ends.
  void NotStarted(int exitCode, const std::string& logPath);

 private:
  void Event(int exitCode, const std::string& text, const std::string& logPath);
  bool SourceReady();
  void Status(const RunCounts& counts, int exitCode);

  RunRecordSources s_;
};

}  // namespace qc
