// Adapter for the program's own keys under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include "platform/MachineKeys.h"

namespace qc::win {

class Win32MachineKeys final : public IMachineKeys {
 public:
  // On 64-bit Windows every key is in the 64-bit view, so that both builds of the program
  // write and read the same one.
  explicit Win32MachineKeys(bool windows64) : view_(windows64 ? KEY_WOW64_64KEY : 0) {}
  Status Write(const std::string& subKey, const std::vector<KeyValue>& values) override;
  std::optional<std::string> ReadText(const std::string& subKey, const std::string& name) override;

 private:
  REGSAM view_;
};

}  // namespace qc::win
