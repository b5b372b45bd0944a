// Paths and statuses at the file-system boundary, shared by the file adapters.
#pragma once

#include <string>

#include "platform/Status.h"

namespace qc::win {

// The status kind of a Win32 error code.
StatusCode CodeOf(unsigned long error);

// A failure status from GetLastError, read at once, naming the call that failed.
Status LastError(const char* call);

// The wide path handed to the API: the "\\?\" form where it is exact, else as given.
std::wstring WinPath(const std::string& path);

// A listing pattern: its folder part as WinPath, the wildcard component kept as is.
std::wstring WinPattern(const std::string& pattern);

}  // namespace qc::win
