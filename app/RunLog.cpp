// The log of every cleaning run.
#include "app/RunLog.h"

#include <cstdio>

#include "platform/FolderPath.h"
#include "platform/Security.h"

namespace qc {
namespace {

constexpr const char* kProgramVersion = "1.12";

std::string TwoDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string TimeText(const LocalTime& t) {
  return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string DateTimeText(const LocalTime& t) {
  return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
         TimeText(t);
}

std::string WindowsText(IMachine& machine) {
  const std::string version = machine.WindowsVersion();
  return "Windows " + (version.empty() ? std::string("(version unknown)") : version) +
         (machine.IsWindows64Bit() ? ", 64-bit" : ", 32-bit");
}

}  // namespace

std::string RunLog::Header(bool silent) {
  const std::string account = s_.machine.AccountName();
  return DateTimeText(s_.clock.Now()) + " QuenzorCleaner " + kProgramVersion +
         " started; account " + (account.empty() ? "(unknown)" : account) + "; " +
         (silent ? "silent" : "interactive") + " mode; " + WindowsText(s_.machine);
}

// %TEMP% is the account's own folder, but the system account's is C:\Windows\Temp, where
// every user may create the log first; its log goes where only administrators write.
std::optional<std::string> RunLog::Folder() {
  if (!s_.machine.IsLocalSystem()) return NormaliseFolder(s_.environment.Get("TEMP").value_or(""));
  const std::optional<std::string> windows =
      NormaliseFolder(s_.environment.Get("SystemRoot").value_or(""));
  if (!windows) return std::nullopt;
  const std::string logs = *windows + "\\Logs";
  if (!s_.file.CreateFolder(logs).ok()) return std::nullopt;  // Windows XP has none
  return logs;
}

// A log file of this account, SYSTEM or Administrators. A file made by anybody else
// could be read or held open by its owner, or be there only to steer or stall what the
// run writes; the adapter refuses a link or a second name of another file (Denied).
bool RunLog::Ours(const OpenedLog& log) {
  const std::string account = s_.machine.AccountSid();
  return log.status.ok() &&
         (IsAdministrativeSid(log.ownerSid) || (!account.empty() && log.ownerSid == account));
}

// The run's one handle on its log; null without a usable folder. A log over 1 MiB is set
// aside first. A file at the log's name that is not ours is renamed aside for a fresh
// one; where that fails, the run writes a file of its own named by its start.
std::unique_ptr<ILogWriter> RunLog::Open() {
  const std::optional<std::string> folder = Folder();
  if (!folder) return nullptr;
  const std::string path = *folder + "\\" + kLogName;
  if (s_.file.Size(path).value_or(0) > kMaxLogBytes) {
    s_.file.Replace(path, *folder + "\\" + kOldLogName);
  }
  OpenedLog log = s_.file.Open(path, LogCreation::OpenOrCreate);
  if (Ours(log)) return std::move(log.writer);
  if (!log.status.ok() && log.status.code != StatusCode::Denied) return nullptr;
  log.writer.reset();
  if (s_.file.Replace(path, *folder + "\\" + kForeignLogName).ok()) {
    log = s_.file.Open(path, LogCreation::CreateOnly);
    if (Ours(log)) return std::move(log.writer);
  }
  const LocalTime t = s_.clock.Now();
  const std::string stamp = std::to_string(t.year) + TwoDigits(t.month) + TwoDigits(t.day) + "-" +
                            TwoDigits(t.hour) + TwoDigits(t.minute) + TwoDigits(t.second);
  log = s_.file.Open(*folder + "\\QuenzorCleaner." + stamp + ".log", LogCreation::CreateOnly);
  return Ours(log) ? std::move(log.writer) : nullptr;
}

void RunLog::Begin(bool silent) {
  writer_ = Open();
  if (writer_ && !writer_->Write(Header(silent) + "\r\n").ok()) writer_.reset();
}

void RunLog::NotStarted(int exitCode) {
  if (std::unique_ptr<ILogWriter> writer = Open()) {
    writer->Write(DateTimeText(s_.clock.Now()) + " QuenzorCleaner " + kProgramVersion +
                  " not started: another clean-up is running on this PC; exit code " +
                  std::to_string(exitCode) + "\r\n");
  }
}

void RunLog::Line(std::string_view text) {
  if (writer_) Write(TimeText(s_.clock.Now()) + " " + std::string(text));
}

void RunLog::End(int exitCode) {
  if (writer_) Write(TimeText(s_.clock.Now()) + " Finished; exit code " + std::to_string(exitCode));
  writer_.reset();
}

void RunLog::Write(const std::string& text) { writer_->Write(text + "\r\n"); }

}  // namespace qc
