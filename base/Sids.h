// The accounts every Windows has, and which of them count as the machine's own.
#pragma once

#include <string_view>

namespace qc {

inline constexpr std::string_view kSystemSid = "S-1-5-18";
inline constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
inline constexpr std::string_view kTrustedInstallerSid =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The system account or the Administrators group: whoever they are, they run this program
// already and gain nothing by steering it.
inline bool IsAdministrativeSid(std::string_view sid) {
  return sid == kSystemSid || sid == kAdministratorsSid;
}

}  // namespace qc
