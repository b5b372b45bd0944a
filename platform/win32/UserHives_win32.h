// Loading users' hive files under HKEY_USERS.
#pragma once

#include "platform/UserHives.h"

namespace qc::win {

class Win32UserHives final : public IUserHives {
 public:
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;
};

}  // namespace qc::win
