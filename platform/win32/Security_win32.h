// Reading owners and DACLs of files, folders and kernel objects, and SIDs as text.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <accctrl.h>

#include <string>
#include <vector>

#include "platform/Security.h"

namespace qc::win {

// "S-1-5-18" and the like; empty when the SID is missing or malformed.
std::string SidText(PSID sid);

// The owner of the object behind the handle, which needs READ_CONTROL; empty when it has
// none. Not ok when the descriptor cannot be read.
Status OwnerOf(HANDLE object, SE_OBJECT_TYPE type, std::string* ownerSid);

// The process token's user, read once; Sid() is null when the token cannot be read.
class ProcessUser {
 public:
  ProcessUser();
  // The SID points into this object, which is therefore never copied.
  ProcessUser(const ProcessUser&) = delete;
  ProcessUser& operator=(const ProcessUser&) = delete;
  PSID Sid();

 private:
  std::vector<BYTE> tokenUser_;  // a TOKEN_USER and the SID it points to
};

// The process token's user as text; empty when unreadable.
std::string ProcessUserSid();

// Whether the process token has the Administrators group enabled: an elevated
// administrator or the system account.
bool ProcessIsAdministrator();

class Win32PathSecurity final : public IPathSecurity {
 public:
  ItemSecurity Read(const std::string& path) override;
};

}  // namespace qc::win
