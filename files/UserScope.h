// Whose per-user folders and shortcuts a run cleans, decided once per run and shared by
// the file and shortcut stages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Machine.h"
#include "platform/ProfileList.h"
#include "platform/ResultsList.h"

namespace qc {

inline constexpr const char* kProfilesUnlistedLine =
    "Error: The user profiles could not be listed; their folders and shortcuts were not cleaned";

struct UserScope {
  // A run as the system account: its own profile holds nobody's traces, so it covers
  // every user's profile and the machine-wide shortcut places instead.
  bool everyProfile = false;
  // The normalised profile folders, in the order they are cleaned; nullopt when unknown
  // (USERPROFILE unusable, or the profile list unreadable).
  std::optional<std::vector<std::string>> profiles;
  bool unlistedReported = false;
};

// The profile USERPROFILE names, as for a run on the user's own account.
UserScope CurrentUserScope(IEnvironment& env);

// The system account's run covers every real account's profile; any other run, or one
// without the machine's facts, the current user's. The profile list is read here only.
UserScope DecideUserScope(IEnvironment& env, IFileSystem& fs, IMachine* machine,
                          IProfileList* profileList);

// For a scope whose profiles are unknown: a user run writes the stage's own line each
// time; a run over every profile writes the one line of the run, at its first report.
void ReportUnknownProfiles(UserScope& scope, IResultsSink& listWork, const char* userRunLine);

}  // namespace qc
