// Paths and statuses at the file-system boundary, shared by the file adapters.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Status.h"
#include "platform/win32/Owners.h"

namespace qc::win {

// The status kind of a Win32 error code.
StatusCode CodeOf(unsigned long error);

// A failure status from GetLastError, read at once, naming the call that failed.
Status LastError(const char* call);

// The wide path handed to the API: an absolute path in the "\\?\" form, after taking it
// apart once (see NormaliseFolder); anything else as given.
std::wstring WinPath(const std::string& path);

// A listing pattern: its folder part as WinPath, the wildcard component kept as is.
std::wstring WinPattern(const std::string& pattern);

// FindFirstFileExW in the fastest form this Windows accepts; largeFetch for a listing
// that is read to its end.
UniqueFind FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW* data, bool largeFetch);

}  // namespace qc::win
