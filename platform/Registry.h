// The registry functions the key deletion uses, with Win32 status codes as results.
#pragma once

#include <cstdint>
#include <string>

namespace qc {

// An open key or a predefined hive, carried as the handle's numeric value.
using RegKey = std::uint64_t;

inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyUsers = 0x80000003u;

inline constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;
inline constexpr std::uint32_t kKeyRead = 0x20019u;
// REG_OPTION_OPEN_LINK: the handle names a symbolic link key itself, not its target.
inline constexpr std::uint32_t kRegOptionOpenLink = 0x8u;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyEx: on success *result holds a handle the caller must close.
  virtual long OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                         std::uint32_t access, RegKey* result) = 0;
  // RegEnumKey: the name of the subkey at index, cut at its first NUL; the buffer
  // holds bufferChars characters including the terminator.
  virtual long EnumKey(RegKey key, std::uint32_t index, std::string* name,
                       std::uint32_t bufferChars) = 0;
  // Deletes the key that the open handle names; it must have no subkeys. Opened with
  // kRegOptionOpenLink, a link is deleted itself and its target stays untouched.
  virtual long DeleteOpenKey(RegKey key) = 0;
  virtual long CloseKey(RegKey key) = 0;
};

}  // namespace qc
