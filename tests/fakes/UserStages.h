// The file and shortcut stages as a run on the user's own account calls them: the profile
// USERPROFILE names, no folder reported by the shell, nothing left to the next restart.
#pragma once

#include "fakes/FakeMachine.h"
#include "files/FileCleaner.h"
#include "files/ShortcutCleaner.h"

namespace qc::test {

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
