// The main window's logic: start-up, the cleaning run and the button handlers. The
// Win32 window only forwards its events here and shows what this decides.
#pragma once

#include <optional>

#include "app/OneRunLock.h"
#include "app/RunLog.h"
#include "app/RunRecord.h"
#include "app/RunResults.h"
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
#include "users/UserScope.h"

namespace qc {

// Every service a run uses: the program passes the Windows adapters, tests pass fakes.
struct Services {
  IUi& ui;
  IResultsList& listWork;
  ICommandLine& commandLine;
  IProcesses& processes;
  IRegistry& registry;
  IFileSystem& fileSystem;
  IEnvironment& environment;
  IOsVersion& osVersion;
  IPathSecurity& pathSecurity;  // who owns the folders the system account's log may go to
  IEventLog& eventLog;
  IMachineKeys& machineKeys;
  IShellFolders& shellFolders;
  IProfileList& profileList;
  IMachine& machine;
  IClock& clock;
  ILogFile& logFile;
  IInstanceLock& instanceLock;
  IRestartRemoval& restartRemoval;
  IUserHives& userHives;  // the registrations of signed-out users
  // The registry view the program is not in, which only 64-bit Windows has.
  IRegistry* otherRegistryView = nullptr;
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
  RunLog log_;
  RunRecord record_;
  RunResults listWork_;
  bool blnSilent_ = false;
  std::optional<UserScope> userScope_;  // decided by the registry stage, before its first key
};

}  // namespace qc
