// Program entry: builds the real platform adapters, wires them to the main window's
// logic, and runs start-up and the message loop.
#include <windows.h>

#include "app/Form1.h"
#include "app/Form1Window_win32.h"
#include "dialogs/frmAcknowledge_win32.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/System_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  qc::win::ComApartment com;
  qc::win::Win32CommandLine commandLine;
  qc::win::Win32Processes processes;
  qc::win::Win32Registry registry;
  qc::win::Win32FileSystem fileSystem;
  qc::win::Win32Environment environment;
  qc::win::Win32OsVersion osVersion;

  qc::win::Form1Window window(instance);
  if (!window.Create()) return 1;
  qc::Form1 form(
      {window, window, commandLine, processes, registry, fileSystem, environment, osVersion});
  window.AttachLogic(&form);
  window.SetAcknowledge([instance] { return qc::win::ShowAcknowledge(instance); });

  form.Form_Load();
  window.Show();
  window.RunMessageLoop();
  return form.ExitCode();
}
