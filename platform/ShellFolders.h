// The folders the shell reports for the current account and for all users.
#pragma once

#include <optional>
#include <string>

namespace qc {

enum class ShellFolder {
  Desktop,          // the account's Desktop, wherever it was moved
  StartMenu,        // the account's Start Menu
  Startup,          // the account's Start Menu\Programs\StartUp
  CommonDesktop,    // the public Desktop
  CommonStartMenu,  // the all-users Start Menu
  CommonStartup,    // the all-users StartUp folder
  Profile,          // the account's profile folder
};

class IShellFolders {
 public:
  virtual ~IShellFolders() = default;
  // The folder's path as the shell reports it; nullopt when the shell reports none.
  virtual std::optional<std::string> Path(ShellFolder folder) = 0;
};

}  // namespace qc
