// Telling silent mode from an interactive start by the command line.
#pragma once

#include <string_view>

namespace qc {

// True exactly when the lower-cased argument text is "silent" or "/s".
bool SelectsSilentMode(std::string_view argumentText);

}  // namespace qc
