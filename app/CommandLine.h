// Telling silent mode from an interactive start by the command line.
#pragma once

#include <string>
#include <string_view>

namespace qc {

// The argument text of a full command line: what follows the program's path (quoted
// or not) and the blanks after it. Trailing blanks are kept; nothing else is trimmed.
std::string ArgumentTextFromCommandLine(std::string_view commandLine);

// True exactly when the lower-cased argument text is "silent" or "/s".
bool SelectsSilentMode(std::string_view argumentText);

}  // namespace qc
