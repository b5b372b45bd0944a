// The registry functions of advapi32, wide-character forms, UTF-8 names.
#pragma once

#include "platform/Registry.h"

namespace qc::win {

class Win32Registry final : public IRegistry {
 public:
  // view: 0 for the program's own registry view, or KEY_WOW64_64KEY / KEY_WOW64_32KEY
  // to work in that view of 64-bit Windows.
  explicit Win32Registry(std::uint32_t view = 0) : view_(view) {}
  long OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string* name,
               std::uint32_t bufferChars) override;
  long DeleteOpenKey(RegKey key) override;
  long CloseKey(RegKey key) override;

 private:
  std::uint32_t view_;
};

}  // namespace qc::win
