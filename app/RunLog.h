// The log of every cleaning run, in the line format of the log viewer that deployment
// administrators read (CMTrace): a header, the results-list lines with the stage that
// wrote them, a summary and the exit code. Appended to QuenzorCleaner.log in %TEMP%; a
// run as the system account writes where the collectors of diagnostics look. Nobody
// watches a run started by a deployment system; this file is what is read afterwards.
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
#include "platform/Security.h"

namespace qc {

inline constexpr const char* kProgramVersion = "1.12";
inline constexpr const char* kLogName = "QuenzorCleaner.log";
inline constexpr const char* kOldLogName = "QuenzorCleaner.old.log";
// Where a log file that someone else owns is set aside.
inline constexpr const char* kForeignLogName = "QuenzorCleaner.foreign.log";
// Past this size the log is set aside before a run writes.
inline constexpr std::uint64_t kMaxLogBytes = 1024 * 1024;
// The component of the lines that belong to the run as a whole rather than to a stage.
inline constexpr const char* kRunComponent = "run";

// How the viewer marks a line: plain, yellow, red.
enum class LineType { Information = 1, Warning = 2, Error = 3 };

// One line as the viewer reads it: the text whole between "<![LOG[" and "]LOG]!>", then
// the time with milliseconds and the bias, the date, the component, the type and the
// process as the thread.
std::string CmTraceLine(std::string_view text, LineType type, std::string_view component,
                        const DateTime& time, std::uint32_t processId);

// The one line of a silent start that found another clean-up running.
std::string NotStartedLine(int exitCode);

struct RunLogSources {
  ILogFile& file;
  IEnvironment& environment;
  IMachine& machine;
  IClock& clock;
  IPathSecurity& security;  // who owns the folders the system account's log may go to
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
  // One results-list line.
  void Line(std::string_view text, LineType type, std::string_view component);
  // A line about the run itself, which the results list does not show.
  void Note(std::string_view text);
  // The summary, then the last line with the exit code; closes the log.
  void End(const std::string& summary, int exitCode);
  // The one line of a silent start that found another clean-up running.
  void NotStarted(int exitCode);
  // The file this run writes; empty when it writes none.
  const std::string& Path() const { return path_; }

 private:
  std::optional<std::string> Folder();
  bool AdministratorsOwn(const std::string& folder);
  std::unique_ptr<ILogWriter> Open();
  std::unique_ptr<ILogWriter> Take(OpenedLog& log, const std::string& path);
  void Start(std::string_view firstLine, LineType type);
  bool Ours(const OpenedLog& log);
  bool Write(std::string_view text, LineType type, std::string_view component);
  std::string Header(bool silent);

  RunLogSources s_;
  std::unique_ptr<ILogWriter> writer_;  // set by a Begin whose header was written
  std::string path_;
};

}  // namespace qc
