// The command-line argument text: the command line without the program's own path.
#pragma once

#include <string>

namespace qc {

class ICommandLine {
 public:
  virtual ~ICommandLine() = default;
  virtual std::string ArgumentText() = 0;
};

}  // namespace qc
