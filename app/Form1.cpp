// The main window's logic: start-up and the cleaning run.
#include "app/Form1.h"

#include "app/CommandLine.h"
#include "files/FileCleaner.h"
#include "files/ProgramFilesFolders.h"
#include "files/ShortcutCleaner.h"
#include "registry/RegistryCleaner.h"
#include "texts/Form1Texts.h"
#include "texts/ResultsTexts.h"

namespace qc {

Form1::Form1(const Services& services)
    : s_(services),
      log_({s_.logFile, s_.environment, s_.machine, s_.clock, s_.pathSecurity}),
      record_({s_.eventLog, s_.machineKeys, s_.environment, s_.machine, s_.clock}),
      listWork_(s_.listWork, log_) {}

void Form1::Form_Load() {
  blnSilent_ = false;
  if (SelectsSilentMode(s_.commandLine.ArgumentText())) {
    blnSilent_ = true;
    RunCleaning();
    return;
  }
  // Declining is the user's choice, not a failure. A dialog that cannot be shown cannot be
  // accepted, and the start must not go on without the user's acceptance.
  const AckOutcome outcome = s_.ui.ShowAcknowledgeModal();
  if (outcome != AckOutcome::Accepted) s_.ui.EndProgram(outcome == AckOutcome::Declined ? 0 : 1);
}

void Form1::RunCleaning() {
  if (!ConfirmStart()) {
    s_.ui.MsgBox(kNothingDoneText, "Nothing Done", MsgButtons::Ok);
    return;
  }
  const std::optional<RunLock> lock = TakeLock();
  if (!lock) return;
  log_.Begin(blnSilent_);
  if (*lock == RunLock::NotOurs) log_.Note(kLockNotOursNote);
  RunStages();
  RecordRun();
  s_.instanceLock.Release();
  Complete();
}

// One clean-up at a time on the PC, taken only once the user has said Yes: a box left
// unanswered must not keep every other run out. nullopt when another run holds it. A
// lock that cannot be made at all, or a name someone else took, stops nothing: the run
// goes on as where no other run can exist.
std::optional<RunLock> Form1::TakeLock() {
  const RunLock lock = TakeRunLock(s_.instanceLock, s_.machine);
  if (lock != RunLock::HeldElsewhere) return lock;
  if (blnSilent_) {
    // Deployment systems retry a start that ends with this code.
    log_.NotStarted(kExitAnotherRun);
    record_.NotStarted(kExitAnotherRun, log_.Path());
    s_.ui.EndProgram(kExitAnotherRun);
  }
  s_.ui.MsgBox(kBusyText, "Busy", MsgButtons::Ok);
  return std::nullopt;
}

void Form1::RunStages() {
  // A stage that stopped part-way says so; it has already been reported as a failure.
  ProcessSearch search = ProcessSearch::ListFailed;
  RunStage("processes", kProcessesStopped, [&] { search = TerminateTargetProcesses(); });
  ReportProcessSearch(search);
  RunStage("registry", kRegistryStopped, [&] { CleanRegistry(); });
  RunStage("folders", kFilesStopped, [&] { CleanFiles(); });
  RunStage("shortcuts", kShortcutsStopped, [&] { CleanProfile(); });
  listWork_.SetComponent(kRunComponent);
}

// Whatever a stage throws (a failed allocation, say) stops that stage only: the run
// says which one stopped, goes on with the next and still reaches its "Done" box. Its
// lines go into the log under its component.
template <typename Stage>
void Form1::RunStage(const char* component, const char* stoppedLine, Stage stage) {
  listWork_.SetComponent(component);
  try {
    stage();
  } catch (...) {
    listWork_.Add(stoppedLine, Outcome::Failure);
  }
}

// The code is settled before the "Done" box, which may end the process: the log's last
// line, the event and the status hold the code the process ends with, however the box
// is answered.
void Form1::RecordRun() {
  const int code = ExitCode();
  const std::string summary = SummaryLine(listWork_.Counts(), code);
  log_.End(summary, code);
  record_.Finished(listWork_.Counts(), code, summary, log_.Path());
}

bool Form1::ConfirmStart() {
  if (blnSilent_) return true;
  return s_.ui.MsgBox(kAcknowledgeText, "Acknowledge", MsgButtons::YesNo) == MsgAnswer::Yes;
}

void Form1::ReportProcessSearch(ProcessSearch search) {
  switch (search) {
    case ProcessSearch::NoneFound:
      listWork_.Add(kNoProcessesLine, Outcome::Success);
      break;
    case ProcessSearch::Found:
      if (!blnSilent_) s_.ui.MsgBox(kContinueText, "Continue", MsgButtons::Ok);
      break;
    case ProcessSearch::ListFailed:
      // The stage has said why; there is nothing to confirm or to deny.
      break;
  }
}

void Form1::Complete() {
  if (blnSilent_) {
    // Nobody can answer a box on a service's window station: the run would hang
    // the deployment that started it, so it ends as if answered No.
    if (NobodySeesWindows() ||
        s_.ui.MsgBox(kDoneSilentText, "Done", MsgButtons::YesNo) == MsgAnswer::No) {
      s_.ui.EndProgram(ExitCode());
    }
  } else {
    s_.ui.MsgBox(kDoneInteractiveText, "Done", MsgButtons::Ok);
  }
  s_.ui.EnableCleanButton(false);
}

// Since Vista, session 0 holds the services only and no one signs in to it; a window
// there is seen by nobody, whatever its window station says.
bool Form1::NobodySeesWindows() {
  if (!s_.ui.IsDesktopVisible()) return true;
  if (s_.machine.SessionId() != 0u) return false;
  // "major.minor.build": Vista is 6.0.
  const std::string version = s_.machine.WindowsVersion();
  unsigned major = 0;
  std::size_t digits = 0;
  for (; digits < version.size() && digits < 3 && version[digits] >= '0' && version[digits] <= '9';
       ++digits) {
    major = major * 10 + unsigned(version[digits] - '0');
  }
  return digits > 0 && major >= 6;
}

ProcessSearch Form1::TerminateTargetProcesses() {
  return qc::TerminateTargetProcesses(s_.processes, listWork_);
}

void Form1::CleanRegistry() {
  UserScope& scope = UserScopeOfRun();
  const bool program64Bit = s_.machine.IsProgram64Bit();
  qc::CleanRegistry(s_.registry, listWork_, s_.otherRegistryView, program64Bit);
  CleanUserRegistrations(s_.registry, scope, s_.userHives, s_.fileSystem, s_.osVersion, listWork_,
                         s_.otherRegistryView, program64Bit);
}

// The registry and both file stages clean the same users, and the profile list is read
// once per run.
UserScope& Form1::UserScopeOfRun() {
  if (!userScope_) {
    userScope_ = DecideUserScope(s_.environment, s_.fileSystem, s_.machine, s_.profileList);
  }
  return *userScope_;
}

void Form1::CleanFiles() {
  // Already said by the registry stage, unless that stopped before it came to the users.
  ReportUnreadableProfiles(UserScopeOfRun(), listWork_);
  ProgramFilesEnvironment environment(s_.environment, s_.machine);
  qc::CleanFiles(s_.fileSystem, environment, s_.osVersion, UserScopeOfRun(), listWork_,
                 s_.restartRemoval);
}

void Form1::CleanProfile() {
  qc::CleanProfile(s_.fileSystem, s_.osVersion, s_.shellFolders, UserScopeOfRun(), listWork_,
                   s_.restartRemoval);
}

}  // namespace qc
