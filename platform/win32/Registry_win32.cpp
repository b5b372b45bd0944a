// The registry functions of advapi32.
#include "platform/win32/Registry_win32.h"

namespace qc::win {

// Not built yet: behaves as an empty registry until the registry stage lands.
long Win32Registry::OpenKeyEx(RegKey, const std::string&, std::uint32_t, std::uint32_t,
                              RegKey*) {
  return kErrorFileNotFound;
}
long Win32Registry::EnumKey(RegKey, std::uint32_t, std::string*, std::uint32_t) {
  return kErrorNoMoreItems;
}
long Win32Registry::DeleteKey(RegKey, const std::string&) { return kErrorFileNotFound; }
long Win32Registry::CloseKey(RegKey) { return kErrorSuccess; }

}  // namespace qc::win
