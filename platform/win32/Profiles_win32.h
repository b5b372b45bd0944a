// Adapters for the shell's folders of the account and of all users, and the list of
// user profiles.
#pragma once

#include "platform/ProfileList.h"
#include "platform/ShellFolders.h"

namespace qc::win {

class Win32ShellFolders final : public IShellFolders {
 public:
  std::optional<std::string> Path(ShellFolder folder) override;
};

class Win32ProfileList final : public IProfileList {
 public:
  std::optional<std::vector<ProfileEntry>> List() override;
};

}  // namespace qc::win
