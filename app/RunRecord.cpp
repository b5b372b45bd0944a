// The run's event and its status key.
#include "app/RunRecord.h"

#include <cstdio>
#include <optional>

#include "app/RunLog.h"
#include "base/AsciiCase.h"
#include "base/FolderPath.h"

namespace qc {
namespace {

// Deployment systems read 3010 and 1618 as "not yet done", not as a failure.
EventLevel LevelOf(int exitCode) {
  if (exitCode == 0) return EventLevel::Information;
  if (exitCode == kExitRestartNeeded || exitCode == kExitAnotherRun) return EventLevel::Warning;
  return EventLevel::Error;
}

KeyValue Number(const char* name, int value) {
  return {name, ValueType::Number, {}, std::uint32_t(value)};
}

// ISO 8601 in UTC, as inventories compare and sort it.
std::string UtcText(const DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace

void RunRecord::Finished(const RunCounts& counts, int exitCode, const std::string& summary,
                         const std::string& logPath) {
  Event(exitCode, summary, logPath);
  Status(counts, exitCode);
}

void RunRecord::NotStarted(int exitCode, const std::string& logPath) {
  Event(exitCode, NotStartedLine(exitCode), logPath);
}

void RunRecord::Event(int exitCode, const std::string& text, const std::string& logPath) {
  if (!SourceReady()) return;
  s_.events.Report(kEventSource, LevelOf(exitCode), kRunEventId,
                   logPath.empty() ? text : text + "\r\nLog: " + logPath);
}

// An event viewer shows an event's text only through the message file its source's
// registration names, and otherwise says that the description cannot be found. Where
// that file is missing (some editions lack it), or the source is not registered and
// this account may not register it, no event is written rather than one without text.
bool RunRecord::SourceReady() {
  const std::optional<std::string> windows =
      NormaliseFolder(s_.environment.Get("SystemRoot").value_or(""));
  if (!windows || !s_.events.FileExists(*windows + "\\System32\\EventCreate.exe")) return false;
  const std::optional<std::string> registered =
      s_.keys.ReadText(kEventSourceKey, "EventMessageFile");
  if (registered && SameAscii(*registered, kEventMessageFile)) return true;
  if (!s_.machine.IsAdministrator()) return false;
  // TypesSupported: error, warning and information. CustomSource marks the source as
  // eventcreate marks its own, so that eventcreate also accepts it.
  return s_.keys
      .Write(kEventSourceKey, {{"EventMessageFile", ValueType::ExpandableText, kEventMessageFile},
                               Number("TypesSupported", 7),
                               Number("CustomSource", 1)})
      .ok();
}

// Only an administrator's or the system account's run: anybody else's is not what
// inventories count on, and Windows would refuse the write anyway.
void RunRecord::Status(const RunCounts& counts, int exitCode) {
  if (!s_.machine.IsAdministrator()) return;
  s_.keys.Write(kStatusKey, {{"Version", ValueType::Text, kProgramVersion},
                             {"LastRunUtc", ValueType::Text, UtcText(s_.clock.NowUtc())},
                             Number("ExitCode", exitCode),
                             Number("Removed", counts.removed),
                             Number("RemovedAtRestart", counts.atRestart),
                             Number("NotRemoved", counts.notRemoved),
                             Number("Errors", counts.errors)});
}

}  // namespace qc
