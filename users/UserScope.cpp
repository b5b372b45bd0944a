// Whose per-user folders and shortcuts a run cleans.
#include "users/UserScope.h"

#include "base/FolderPath.h"
#include "texts/ResultsTexts.h"
#include "users/UserProfiles.h"

namespace qc {

// USERPROFILE is taken apart like every base folder (see NormaliseFolder): "C:/Users/x/"
// and "C:\Users\x" name the same folder and give the same paths and lines. Unset or no
// absolute folder, "<profile>\Norvane" would name a folder that is not the user's: the
// profile is then unknown and the per-user paths are skipped.
UserScope CurrentUserScope(IEnvironment& env) {
  UserScope scope;
  if (std::optional<std::string> profile = NormaliseFolder(env.Get("USERPROFILE").value_or(""))) {
    scope.profiles.emplace(1, std::move(*profile));
  }
  return scope;
}

UserScope DecideUserScope(IEnvironment& env, IFileSystem& fs, IMachine& machine,
                          IProfileList& profileList) {
  if (!machine.IsLocalSystem()) return CurrentUserScope(env);
  UserScope scope;
  scope.everyProfile = true;
  const std::optional<std::vector<ProfileEntry>> entries = profileList.List();
  if (!entries) return scope;
  scope.profiles.emplace();
  for (UserAccount& account : AccountsToClean(*entries, fs)) {
    if (account.readable) scope.profiles->push_back(account.profile);
    scope.accounts.push_back(std::move(account));
  }
  return scope;
}

void ReportUnknownProfiles(UserScope& scope, IResultsSink& listWork, const char* userRunLine) {
  if (!scope.everyProfile) {
    listWork.Add(userRunLine, Outcome::Failure);
  } else if (!scope.unlistedReported) {
    scope.unlistedReported = true;
    listWork.Add(kProfilesUnlistedLine, Outcome::Failure);
  }
}

void ReportUnreadableProfiles(UserScope& scope, IResultsSink& listWork) {
  if (scope.unreadableReported) return;
  scope.unreadableReported = true;
  for (const UserAccount& account : scope.accounts) {
    if (account.readable) continue;
    listWork.Add(ProfileUnreadableLine(account.profile), Outcome::Failure);
  }
}

}  // namespace qc
