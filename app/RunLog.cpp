// The log of every cleaning run.
#include "app/RunLog.h"

#include <cstdio>
#include <utility>

#include "base/FolderPath.h"

namespace qc {
namespace {

std::string Digits(int n, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, n);
  return text;
}

std::string WindowsText(IMachine& machine) {
  const std::string version = machine.WindowsVersion();
  return "Windows " + (version.empty() ? std::string("(version unknown)") : version) +
         (machine.IsWindows64Bit() ? ", 64-bit" : ", 32-bit");
}

// The folders where the collectors of Intune and of Configuration Manager pick up logs,
// each below the folder an environment variable names.
constexpr std::pair<const char*, const char*> kCollectedFolders[] = {
    {"ProgramData", "\\Microsoft\\IntuneManagementExtension\\Logs"},
    {"windir", "\\CCM\\Logs"},
};

}  // namespace

std::string CmTraceLine(std::string_view text, LineType type, std::string_view component,
                        const DateTime& t, std::uint32_t processId) {
  // One sign only: a negative bias already carries its own.
  const long long bias = t.biasMinutes;
  const std::string biasText = (bias < 0 ? "-" : "+") + std::to_string(bias < 0 ? -bias : bias);
  return "<![LOG[" + std::string(text) + "]LOG]!><time=\"" + Digits(t.hour, 2) + ":" +
         Digits(t.minute, 2) + ":" + Digits(t.second, 2) + "." + Digits(t.millisecond, 3) +
         biasText + "\" date=\"" + Digits(t.month, 2) + "-" + Digits(t.day, 2) + "-" +
         Digits(t.year, 4) + "\" component=\"" + std::string(component) +
         "\" context=\"\" type=\"" + std::to_string(int(type)) + "\" thread=\"" +
         std::to_string(processId) + "\" file=\"\">";
}

std::string NotStartedLine(int exitCode) {
  return std::string("QuenzorCleaner ") + kProgramVersion +
         " not started: another clean-up is running on this PC; exit code " +
         std::to_string(exitCode);
}

std::string RunLog::Header(bool silent) {
  const std::string account = s_.machine.AccountName();
  return std::string("QuenzorCleaner ") + kProgramVersion + " started; account " +
         (account.empty() ? "(unknown)" : account) + "; " + (silent ? "silent" : "interactive") +
         " mode; " + WindowsText(s_.machine);
}

// %TEMP% is the account's own folder, but the system account's is C:\Windows\Temp, where
// every user may create the log first; its log goes where only administrators write:
// where the collectors look when they are installed, else %SystemRoot%\Logs.
std::optional<std::string> RunLog::Folder() {
  if (!s_.machine.IsLocalSystem()) return NormaliseFolder(s_.environment.Get("TEMP").value_or(""));
  for (const auto& [variable, below] : kCollectedFolders) {
    const std::optional<std::string> base =
        NormaliseFolder(s_.environment.Get(variable).value_or(""));
    if (base && AdministratorsOwn(*base + below)) return *base + below;
  }
  const std::optional<std::string> windows =
      NormaliseFolder(s_.environment.Get("SystemRoot").value_or(""));
  if (!windows) return std::nullopt;
  const std::string logs = *windows + "\\Logs";
  if (!s_.file.CreateFolder(logs).ok()) return std::nullopt;  // Windows XP has none
  return logs;
}

// A collector's folder counts only when it and every folder above it is no link and
// belongs to SYSTEM, Administrators or TrustedInstaller. One that a user made, or a link
// on the way, could lead the log to where that user reads it or swaps it.
bool RunLog::AdministratorsOwn(const std::string& folder) {
  for (std::size_t end = folder.find('\\', 3);; end = folder.find('\\', end + 1)) {
    const ItemSecurity item = s_.security.Read(folder.substr(0, end));
    const bool trusted =
        IsAdministrativeSid(item.ownerSid) || item.ownerSid == kTrustedInstallerSid;
    if (!item.status.ok() || item.link || !trusted) return false;
    if (end == std::string::npos) return true;
  }
}

// A log file of this account, SYSTEM or Administrators. A file made by anybody else
// could be read or held open by its owner, or be there only to steer or stall what the
// run writes; the adapter refuses a link or a second name of another file (Denied).
bool RunLog::Ours(const OpenedLog& log) {
  const std::string account = s_.machine.AccountSid();
  return log.status.ok() &&
         (IsAdministrativeSid(log.ownerSid) || (!account.empty() && log.ownerSid == account));
}

std::unique_ptr<ILogWriter> RunLog::Take(OpenedLog& log, const std::string& path) {
  path_ = path;
  return std::move(log.writer);
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
  if (Ours(log)) return Take(log, path);
  if (!log.status.ok() && log.status.code != StatusCode::Denied) return nullptr;
  log.writer.reset();
  if (s_.file.Replace(path, *folder + "\\" + kForeignLogName).ok()) {
    log = s_.file.Open(path, LogCreation::CreateOnly);
    if (Ours(log)) return Take(log, path);
  }
  const DateTime t = s_.clock.Now();
  const std::string stamped = *folder + "\\QuenzorCleaner." + Digits(t.year, 4) +
                              Digits(t.month, 2) + Digits(t.day, 2) + "-" + Digits(t.hour, 2) +
                              Digits(t.minute, 2) + Digits(t.second, 2) + ".log";
  log = s_.file.Open(stamped, LogCreation::CreateOnly);
  return Ours(log) ? Take(log, stamped) : nullptr;
}

// A log whose first line cannot be written holds nothing of the run, so the event names
// no log and the run writes no more.
void RunLog::Start(std::string_view firstLine, LineType type) {
  writer_ = Open();
  if (writer_ && !Write(firstLine, type, kRunComponent)) {
    writer_.reset();
    path_.clear();
  }
}

void RunLog::Begin(bool silent) { Start(Header(silent), LineType::Information); }

void RunLog::NotStarted(int exitCode) {
  Start(NotStartedLine(exitCode), LineType::Warning);
  writer_.reset();
}

void RunLog::Line(std::string_view text, LineType type, std::string_view component) {
  if (writer_) Write(text, type, component);
}

void RunLog::Note(std::string_view text) { Line(text, LineType::Warning, kRunComponent); }

void RunLog::End(const std::string& summary, int exitCode) {
  Line(summary, LineType::Information, kRunComponent);
  Line("Finished; exit code " + std::to_string(exitCode), LineType::Information, kRunComponent);
  writer_.reset();
}

bool RunLog::Write(std::string_view text, LineType type, std::string_view component) {
  return writer_
      ->Write(CmTraceLine(text, type, component, s_.clock.Now(), s_.machine.ProcessId()) + "\r\n")
      .ok();
}

}  // namespace qc
