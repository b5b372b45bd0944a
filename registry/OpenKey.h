// An open registry key owned by the core: closed exactly once, on every path out.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace qc {

class OpenKey {
 public:
  // Opens subKey below parent (a hive or an open key); status() tells how it went.
  OpenKey(IRegistry& registry, RegKey parent, const std::string& subKey, std::uint32_t options,
          std::uint32_t access)
      : registry_(registry), status_(registry.OpenKeyEx(parent, subKey, options, access, &key_)) {}
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (ok()) registry_.CloseKey(key_);
  }

  bool ok() const { return status_ == kErrorSuccess; }
  long status() const { return status_; }
  RegKey get() const { return key_; }

 private:
  IRegistry& registry_;
  RegKey key_ = 0;
  long status_;
};

}  // namespace qc
