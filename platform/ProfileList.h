// The user profiles Windows keeps on this PC.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qc {

struct ProfileEntry {
  std::string sid;   // the account's SID as text, e.g. "S-1-5-21-...-1001"
  std::string path;  // the profile folder, environment variables expanded
};

class IProfileList {
 public:
  virtual ~IProfileList() = default;
  // Every profile that names a folder, in the order Windows lists them; nullopt when
  // the list cannot be read.
  virtual std::optional<std::vector<ProfileEntry>> List() = 0;
};

}  // namespace qc
