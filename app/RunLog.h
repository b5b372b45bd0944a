// The log of every cleaning run: a header, the results-list lines with their times and
// the exit code, appended to QuenzorCleaner.log in %TEMP%, or in %SystemRoot%\Logs for
// the system account. Nobody watches a run started by a deployment system; this file is
// what an administrator reads afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/LogFile.h"
#include "platform/Machine.h"

namespace qc {

inline constexpr const char* kLogName = "QuenzorCleaner.log";
inline constexpr const char* kOldLogName = "QuenzorCleaner.old.log";
// Where a log file that someone else owns is set aside.
inline constexpr const char* kForeignLogName = "QuenzorCleaner.foreign.log";
// Past this size the log is set aside before a run writes.
inline constexpr std::uint64_t kMaxLogBytes = 1024 * 1024;

struct RunLogSources {
  ILogFile& file;
  IEnvironment& environment;
  IMachine& machine;
  IClock& clock;
};

// Writing never fails visibly: a log that cannot be written leaves the run, its lines
// and its exit code as they are.
class RunLog {
 public:
  explicit RunLog(const RunLogSources& sources) : s_(sources) {}

  // Sets a log over 1 MiB aside, opens the log for the whole run and writes the header.
  // Without a usable folder, or when the header cannot be written, the rest of the run
  // writes nothing either.
  void Begin(bool silent);
  // One results-list line, with its time.
  void Line(std::string_view text);
  // The last line of the run; closes the log.
  void End(int exitCode);
  // The one line of a silent start that found another clean-up running.
  void NotStarted(int exitCode);

 private:
  std::optional<std::string> Folder();
  std::unique_ptr<ILogWriter> Open();
  bool Ours(const OpenedLog& log);
  void Write(const std::string& text);
  std::string Header(bool silent);

  RunLogSources s_;
  std::unique_ptr<ILogWriter> writer_;  // set by a Begin whose header was written
};

}  // namespace qc
