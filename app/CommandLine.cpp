// Command-line handling of the start-up.
#include "app/CommandLine.h"

#include <string>

#include "base/AsciiCase.h"

namespace qc {

bool SelectsSilentMode(std::string_view argumentText) {
  const std::string lower = ToLowerAscii(argumentText);
  return lower == "silent" || lower == "/s";
}

}  // namespace qc
