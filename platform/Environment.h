// The process environment.
#pragma once

#include <optional>
#include <string>

namespace qc {

class IEnvironment {
 public:
  virtual ~IEnvironment() = default;
  // The variable's value, nullopt when it is not set.
  virtual std::optional<std::string> Get(const std::string& name) = 0;
};

}  // namespace qc
