// Loading users' hive files under HKEY_USERS.
#pragma once

#include <windows.h>

#include "platform/UserHives.h"

namespace qc::win {

class Win32UserHives final : public IUserHives {
 public:
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;
  void Pause(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace qc::win
