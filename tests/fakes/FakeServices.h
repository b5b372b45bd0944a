// Every service of a run as a fake, wired as the program wires its adapters: a user's own
// run on 32-bit Windows with nothing to clean, until a test says otherwise. And the file
// and shortcut stages as that run calls them.
#pragma once

#include "app/Form1.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMachine.h"
#include "fakes/FakeRecord.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeUi.h"
#include "files/FileCleaner.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {

struct FakeServices {
  FakeUi ui;
  RecordingList list;
  FakeCommandLine commandLine;
  FakeProcesses processes;
  FakeRegistry registry;
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  FakePathSecurity security;
  FakeEventLog events;
  FakeMachine machine;
  FakeMachineKeys keys{machine};
  FakeShellFolders shell;
  FakeProfileList profiles;
  FakeClock clock;
  FakeLogFile logFile;
  FakeInstanceLock lock;
  FakeRestartRemoval restart;
  FakeUserHives hives{registry};

  // The fakes, with lines and classes in place of the list and the registry.
  Services With(IResultsList& lines, IRegistry& classes) {
    return {ui,   lines, commandLine, processes, classes, fs,      env,  os,      security, events,
            keys, shell, profiles,    machine,   clock,   logFile, lock, restart, hives};
  }
  Services All() { return With(list, registry); }
};

// The profile USERPROFILE names, no folder reported by the shell, nothing left to the
// next restart.
inline void CleanFiles(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsSink& list) {
  UserScope scope = CurrentUserScope(env);
  qc::CleanFiles(fs, env, os, scope, list, noRestart);
}

inline void CleanProfile(IFileSystem& fs, IEnvironment& env, IOsVersion& os, IResultsSink& list) {
  UserScope scope = CurrentUserScope(env);
  FakeShellFolders noFolders;
  qc::CleanProfile(fs, os, noFolders, scope, list, noRestart);
}

}  // namespace qc::test
