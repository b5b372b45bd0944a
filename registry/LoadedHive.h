// A user's hive file loaded under a name of the program's own in HKEY_USERS, unloaded on
// every path out: a hive left loaded would keep its user from signing in properly.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/UserHives.h"

namespace qc {

// Unloads HKEY_USERS\name. Another program that opened a key in the newly loaded hive (an
// indexer, a virus scanner) makes Windows refuse for a moment: it is tried again for
// about two seconds before the refusal stands.
inline long UnloadPatiently(IUserHives& hives, const std::string& name) {
  constexpr std::array<std::uint32_t, 5> kPausesMs = {100, 200, 400, 600, 700};
  long status = hives.UnloadHive(name);
  for (std::size_t i = 0; i < kPausesMs.size() && status != kErrorSuccess; ++i) {
    hives.Pause(kPausesMs[i]);
    status = hives.UnloadHive(name);
  }
  return status;
}

class LoadedHive {
 public:
  LoadedHive(IUserHives& hives, std::string name, const std::string& file)
      : hives_(hives), name_(std::move(name)), status_(hives.LoadHive(name_, file)) {}
  LoadedHive(const LoadedHive&) = delete;
  LoadedHive& operator=(const LoadedHive&) = delete;
  ~LoadedHive() {
    if (loaded_) UnloadPatiently(hives_, name_);
  }

  // The status of the load.
  bool ok() const { return status_ == kErrorSuccess; }
  long status() const { return status_; }
  const std::string& name() const { return name_; }
  // Unloads it now, so that a failure can be reported; every key in it must be closed.
  long Unload() {
    if (!loaded_) return kErrorSuccess;
    loaded_ = false;
    return UnloadPatiently(hives_, name_);
  }

 private:
  IUserHives& hives_;
  std::string name_;
  long status_;
  bool loaded_ = status_ == kErrorSuccess;
};

}  // namespace qc
