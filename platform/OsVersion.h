// The Windows version as GetVersionEx reports it.
#pragma once

#include <cstdint>
#include <optional>

namespace qc {

inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
};

class IOsVersion {
 public:
  virtual ~IOsVersion() = default;
  // nullopt when the call failed.
  virtual std::optional<OsVersionInfo> QueryVersion() = 0;
};

}  // namespace qc
