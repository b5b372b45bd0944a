// Program entry: builds the real platform adapters, wires them to the main window's
// logic, and runs start-up and the message loop.
#include <windows.h>

#include "app/Form1.h"
#include "app/Form1Window_win32.h"
#include "dialogs/frmAcknowledge_win32.h"
#include "files/GuardedRestart.h"
#include "platform/win32/EventLog_win32.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/InstanceLock_win32.h"
#include "platform/win32/LogFile_win32.h"
#include "platform/win32/MachineKeys_win32.h"
#include "platform/win32/Machine_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Profiles_win32.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/RestartRemoval_win32.h"
#include "platform/win32/Security_win32.h"
#include "platform/win32/System_win32.h"
#include "platform/win32/UserHives_win32.h"

namespace {

// The registry view of 64-bit Windows that the program does not see by itself.
DWORD OtherRegistryView(qc::IMachine& machine) {
  constexpr DWORD kWow64View64 = 0x0100;  // KEY_WOW64_64KEY
  constexpr DWORD kWow64View32 = 0x0200;  // KEY_WOW64_32KEY
  return machine.IsProgram64Bit() ? kWow64View32 : kWow64View64;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A look-up on a drive without media (a card reader, a removed stick) then fails instead
  // of showing "There is no disk in the drive", which would stall a silent run for ever.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  qc::win::ComApartment com;
  qc::win::Win32CommandLine commandLine;
  qc::win::Win32Processes processes;
  qc::win::Win32Registry registry;
  qc::win::Win32FileSystem fileSystem;
  qc::win::Win32Environment environment;
  qc::win::Win32OsVersion osVersion;
  qc::win::Win32Machine machine;
  qc::win::Win32Clock clock;
  qc::win::Win32ShellFolders shellFolders;
  qc::win::Win32ProfileList profileList;
  qc::win::Win32LogFile logFile;
  qc::win::Win32InstanceLock instanceLock;
  qc::win::Win32RestartRemoval scheduler;
  qc::win::Win32PathSecurity pathSecurity;
  qc::GuardedRestartRemoval restartRemoval(scheduler, pathSecurity, machine.AccountSid());
  qc::win::Win32UserHives userHives;
  qc::win::Win32Registry otherView(OtherRegistryView(machine));
  qc::win::Win32EventLog eventLog;
  qc::win::Win32MachineKeys machineKeys(machine.IsWindows64Bit());

  qc::win::Form1Window window(instance);
  if (!window.Create()) return 1;
  qc::Form1 form(
      {window,       window,         commandLine, processes,
       registry,     fileSystem,     environment, osVersion,
       pathSecurity, eventLog,       machineKeys, shellFolders,
       profileList,  machine,        clock,       logFile,
       instanceLock, restartRemoval, userHives,   machine.IsWindows64Bit() ? &otherView : nullptr});
  window.AttachLogic(&form);
  window.SetAcknowledge([instance] { return qc::win::ShowAcknowledge(instance); });

  form.Form_Load();
  window.Show();
  window.RunMessageLoop();
  return form.ExitCode();
}
