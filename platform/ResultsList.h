// The results list of the main window: the one place where the program reports what it did.
#pragma once

#include <string_view>

namespace qc {

class IResultsList {
 public:
  virtual ~IResultsList() = default;
  // Appends one line at the end; nothing is ever removed, reordered or read back.
  virtual void AddItem(std::string_view line) = 0;
};

}  // namespace qc
