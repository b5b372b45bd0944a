// Loading a user's registry hive file into HKEY_USERS while that user is signed out.
#pragma once

#include <cstdint>
#include <string>

namespace qc {

class IUserHives {
 public:
  virtual ~IUserHives() = default;
  // RegLoadKey: the hive file becomes HKEY_USERS\name. Windows opens the file, and creates
  // or writes its log files beside it, by this path. A Win32 status; 2 or 3 when there is
  // no such file.
  virtual long LoadHive(const std::string& name, const std::string& file) = 0;
  // RegUnLoadKey of HKEY_USERS\name. Windows refuses while any key in it is open, by this
  // program or by any other.
  virtual long UnloadHive(const std::string& name) = 0;
  // Waits so long before an unload that Windows refused is tried again.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace qc
