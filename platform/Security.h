// Who may change a file, a folder or a named object: the owner and the access entries
// Windows reports, as facts for the core to judge.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Sids.h"
#include "platform/Status.h"

namespace qc {

// One entry of a DACL.
struct AccessEntry {
  bool allow = true;         // false for a deny entry
  std::string sid;           // empty when the entry names no plain SID (an object entry)
  std::uint32_t mask = 0;    // the access mask as stored, generic rights unmapped
  bool inheritOnly = false;  // applies to the children only, not to the item itself
};

struct ItemSecurity {
  Status status;          // not ok: the item or its security could not be read
  bool link = false;      // a reparse point: junction, symbolic link, mount point
  std::string ownerSid;   // empty when the descriptor names no owner
  bool nullDacl = false;  // no DACL at all, which grants everyone everything
  std::vector<AccessEntry> dacl;
};

class IPathSecurity {
 public:
  virtual ~IPathSecurity() = default;
  // The facts of one file or folder, read through one handle opened without following
  // a link, so the link fact and the descriptor belong to the same item.
  virtual ItemSecurity Read(const std::string& path) = 0;
};

}  // namespace qc
