// The main window's logic: start-up, the cleaning run and the button handlers. The
// Win32 window only forwards its events here and shows what this decides.
#pragma once

#include <optional>

#include "app/OneRunLock.h"
#include "app/RunLog.h"
#include "app/RunRecord.h"
#include "app/RunResults.h"
#include "users/UserScope.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Environment.h"
#include "platform/EventLog.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/LogFile.h"
#include "platform/Machine.h"
#include "platform/MachineKeys.h"
#include "platform/OsVersion.h"
#include "platform/Processes.h"
#include "platform/ProfileList.h"
#include "platform/Registry.h"
#include "platform/RestartRemoval.h"
#include "platform/ResultsList.h"
#include "platform/Security.h"
#include "platform/ShellFolders.h"
#include "platform/Ui.h"
#include "platform/UserHives.h"
#include "processes/TargetProcesses.h"

namespace qc {

struct Services {
  IUi& ui;
  IResultsList& listWork;
  ICommandLine& commandLine;
  IProcesses& processes;
  IRegistry& registry;
  IFileSystem& fileSystem;
  IEnvironment& environment;
  IOsVersion& osVersion;
  // Where the run's record goes besides its log.
  IPathSecurity& pathSecurity;  // who owns the folders the system account's log may go to
  IEventLog& eventLog;
  IMachineKeys& machineKeys;
  // What today's PCs and deployment add. A service left out behaves as on the PC the
  // program was first written for: 32-bit Windows, the interactive user's account,
  // folders where the rules put them, no log, no other run, no removal at restart.
  IRegistry* otherRegistryView = nullptr;  // 64-bit Windows: the view the program is not in
  IShellFolders* shellFolders = nullptr;
  IProfileList* profileList = nullptr;
  IMachine* machine = nullptr;
  IClock* clock = nullptr;
  ILogFile* logFile = nullptr;
  IInstanceLock* instanceLock = nullptr;
  IRestartRemoval* restartRemoval = nullptr;
  IUserHives* userHives = nullptr;  // the registrations of signed-out users
};

inline constexpr const char* kNoProcessesLine =
    "Information: No Quenzor or Internet Explorer Processes Running";

class Form1 {
 public:
  explicit Form1(const Services& services);

  void Form_Load();
  void RunCleaning();
  void btnClean_Click() { RunCleaning(); }
  void btnExit_Click() { s_.ui.UnloadMainWindow(); }

  ProcessSearch TerminateTargetProcesses();
  void CleanRegistry();
  void CleanFiles();
  void CleanProfile();

  // Decided from the outcomes the run reported, never from the text of its lines.
  int ExitCode() const { return listWork_.ExitCode(); }
  bool blnSilent() const { return blnSilent_; }

 private:
  std::optional<RunLock> TakeLock();
  bool ConfirmStart();
  void RunStages();
  template <typename Stage>
  void RunStage(const char* component, const char* stoppedLine, Stage stage);
  void RecordRun();
  void ReportProcessSearch(ProcessSearch search);
  UserScope& UserScopeOfRun();
  void Complete();
  bool NobodySeesWindows();

  Services s_;
  std::optional<RunLog> log_;        // none without the services a log needs
  std::optional<RunRecord> record_;  // likewise for the event and the status key
  RunResults listWork_;
  bool blnSilent_ = false;
  std::optional<UserScope> userScope_;  // decided by the registry stage, before its first key
};

}  // namespace qc
