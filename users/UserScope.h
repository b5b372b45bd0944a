// Whose profiles a run covers (their registrations, data folders and shortcuts), decided
// once per run and shared by the registry, file and shortcut stages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Machine.h"
#include "platform/ProfileList.h"
#include "platform/ResultsList.h"
#include "texts/ResultsTexts.h"

namespace qc {

// One account a run as the system account cleans.
struct UserAccount {
  std::string sid;      // as the profile list names it
  std::string profile;  // the normalised profile folder
  // The folder exists but cannot be read: nothing of this account is cleaned, and the
  // run says so once.
  bool readable = true;
};

struct UserScope {
  // A run as the system account: its own profile holds nobody's traces, so it covers
  // every user's profile and the machine-wide shortcut places instead.
  bool everyProfile = false;
  // The normalised profile folders, in the order they are cleaned; nullopt when unknown
  // (USERPROFILE unusable, or the profile list unreadable).
  std::optional<std::vector<std::string>> profiles;
  bool unlistedReported = false;
  // A run over every profile: each account whose folder exists, in the order of the
  // folders. `profiles` holds the folders of the readable ones.
  std::vector<UserAccount> accounts;
  bool unreadableReported = false;
};

// The profile USERPROFILE names, as for a run on the user's own account.
UserScope CurrentUserScope(IEnvironment& env);

// The system account's run covers every real account's profile; any other run the
// current user's. The profile list is read here only.
UserScope DecideUserScope(IEnvironment& env, IFileSystem& fs, IMachine& machine,
                          IProfileList& profileList);

// For a scope whose profiles are unknown: a user run writes the stage's own line each
// time; a run over every profile writes the one line of the run, at its first report.
void ReportUnknownProfiles(UserScope& scope, IResultsSink& listWork, const char* userRunLine);

// One "Error: The user profile <folder> could not be cleaned" line per unreadable
// profile, the first time any stage asks.
void ReportUnreadableProfiles(UserScope& scope, IResultsSink& listWork);

}  // namespace qc
