// Removal at restart only where nobody but administrators can change the path. Windows
// deletes a scheduled item by its name as it stands at the restart, and this program runs
// as the system account or an administrator: a user who may rename, replace or relink
// any folder on the path could aim that deletion at anything.
#pragma once

#include <cstdint>
#include <string>

#include "platform/RestartRemoval.h"
#include "platform/Security.h"

namespace qc {

class GuardedRestartRemoval final : public IRestartRemoval {
 public:
  // accountSid: the running account, trusted beside SYSTEM, Administrators and
  // TrustedInstaller; empty trusts only those.
  GuardedRestartRemoval(IRestartRemoval& inner, IPathSecurity& security, std::string accountSid)
      : inner_(inner), security_(security), accountSid_(std::move(accountSid)) {}

  // Forwards only when the drive's root lets no one else delete or rename its children
  // or change its permissions or owner, and every folder from the root's child down, and
  // the item itself, is no link and lets no one else write, add, delete, rename or change
  // its permissions or owner; otherwise Denied, and the item keeps its "Not" line.
  Status ScheduleDelete(const std::string& path) override;

 private:
  bool OnlyTrustedMayChange(const ItemSecurity& item, std::uint32_t rights) const;
  bool Trusted(const std::string& sid) const;

  IRestartRemoval& inner_;
  IPathSecurity& security_;
  std::string accountSid_;
};

}  // namespace qc
