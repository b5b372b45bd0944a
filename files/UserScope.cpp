// Whose per-user folders and shortcuts a run cleans.
#include "files/UserScope.h"

#include "files/ProfileFolder.h"
#include "files/UserProfiles.h"

namespace qc {

UserScope CurrentUserScope(IEnvironment& env) {
  UserScope scope;
  if (std::optional<std::string> profile = ReadProfileFolder(env)) {
    scope.profiles.emplace(1, std::move(*profile));
  }
  return scope;
}

UserScope DecideUserScope(IEnvironment& env, IFileSystem& fs, IMachine* machine,
                          IProfileList* profileList) {
  if (machine == nullptr || !machine->IsLocalSystem()) return CurrentUserScope(env);
  UserScope scope;
  scope.everyProfile = true;
  const std::optional<std::vector<ProfileEntry>> entries =
      profileList != nullptr ? profileList->List() : std::nullopt;
  if (!entries) return scope;
  scope.profiles.emplace();
  for (const ProfileEntry& entry : ProfilesToClean(*entries, fs)) {
    scope.profiles->push_back(entry.path);
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

}  // namespace qc
