// The registry functions of advapi32, wide-character forms, UTF-8 names.
#pragma once

#include "platform/Registry.h"

namespace qc::win {

class Win32Registry final : public IRegistry {
 public:
  long OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string* name,
               std::uint32_t bufferChars) override;
  long DeleteOpenKey(RegKey key) override;
  long CloseKey(RegKey key) override;
};

}  // namespace qc::win
