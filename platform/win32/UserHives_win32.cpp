// Loading users' hive files: RegLoadKeyW and RegUnLoadKeyW under HKEY_USERS, each with
// the backup and restore privileges the two calls need.
#include "platform/win32/UserHives_win32.h"

#include <windows.h>

#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

struct TwoPrivileges {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[2];
};

PTOKEN_PRIVILEGES AsTokenPrivileges(TwoPrivileges* p) {
  return reinterpret_cast<PTOKEN_PRIVILEGES>(p);
}

// Enabled for one call and then put back as they were: left on, they would let every
// file the run opens pass over its permissions.
class HivePrivileges {
 public:
  HivePrivileges() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token_.put())) {
      return;
    }
    TwoPrivileges wanted{2, {}};
    if (!LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &wanted.Privileges[0].Luid) ||
        !LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &wanted.Privileges[1].Luid)) {
      return;
    }
    wanted.Privileges[0].Attributes = wanted.Privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD bytes = 0;
    // An account that lacks them gets no error here: the hive call then fails itself.
    adjusted_ = AdjustTokenPrivileges(token_.get(), FALSE, AsTokenPrivileges(&wanted),
                                      sizeof(previous_), AsTokenPrivileges(&previous_), &bytes);
  }
  HivePrivileges(const HivePrivileges&) = delete;
  HivePrivileges& operator=(const HivePrivileges&) = delete;
  ~HivePrivileges() {
    // previous_ lists only the privileges this call changed.
    if (adjusted_) {
      AdjustTokenPrivileges(token_.get(), FALSE, AsTokenPrivileges(&previous_), 0, nullptr,
                            nullptr);
    }
  }

 private:
  UniqueHandle token_;
  TwoPrivileges previous_{};
  bool adjusted_ = false;
};

}  // namespace

long Win32UserHives::LoadHive(const std::string& name, const std::string& file) {
  const HivePrivileges privileges;
  return RegLoadKeyW(HKEY_USERS, ToW(name).c_str(), ToW(file).c_str());
}

long Win32UserHives::UnloadHive(const std::string& name) {
  const HivePrivileges privileges;
  return RegUnLoadKeyW(HKEY_USERS, ToW(name).c_str());
}

}  // namespace qc::win
