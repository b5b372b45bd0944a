// The log of every cleaning run.
#include "app/RunLog.h"

#include <cstdio>

#include "platform/FolderPath.h"

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

// The log's path, after setting a log over 1 MiB aside; nullopt without a usable %TEMP%.
std::optional<std::string> RunLog::Prepare() {
  const std::optional<std::string> folder =
      NormaliseFolder(s_.environment.Get("TEMP").value_or(""));
  if (!folder) return std::nullopt;
  const std::string path = *folder + "\\" + kLogName;
  if (s_.file.Size(path).value_or(0) > kMaxLogBytes) {
    s_.file.Replace(path, *folder + "\\" + kOldLogName);
  }
  return path;
}

void RunLog::Begin(bool silent) {
  path_.reset();
  const std::optional<std::string> path = Prepare();
  if (path && s_.file.Append(*path, Header(silent) + "\r\n").ok()) path_ = path;
}

void RunLog::NotStarted(int exitCode) {
  const std::optional<std::string> path = Prepare();
  if (path) {
    s_.file.Append(*path, DateTimeText(s_.clock.Now()) + " QuenzorCleaner " + kProgramVersion +
                              " not started: another clean-up is running on this PC; exit code " +
                              std::to_string(exitCode) + "\r\n");
  }
}

void RunLog::Line(std::string_view text) {
  if (path_) Write(TimeText(s_.clock.Now()) + " " + std::string(text));
}

void RunLog::End(int exitCode) {
  if (path_) Write(TimeText(s_.clock.Now()) + " Finished; exit code " + std::to_string(exitCode));
  path_.reset();
}

void RunLog::Write(const std::string& text) { s_.file.Append(*path_, text + "\r\n"); }

}  // namespace qc
