// Adapters for the command line, the process environment and the Windows version.
#include "platform/win32/System_win32.h"

#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/win32/Utf.h"

namespace qc::win {

std::string Win32CommandLine::ArgumentText() {
  return ArgumentTextFromCommandLine(ToUtf8(GetCommandLineW()));
}

std::optional<std::string> Win32Environment::Get(const std::string& name) {
  const std::wstring wname = ToW(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(wname.c_str(), value.data(), DWORD(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return ToUtf8(value);
    }
    value.resize(n);  // n includes the terminator when the buffer was too small
  }
}

std::optional<OsVersionInfo> Win32OsVersion::QueryVersion() {
  // The ANSI structure in its 148-byte form; only the size field is set before the call.
  OSVERSIONINFOA info{};
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(&info) != 1) return std::nullopt;
#pragma GCC diagnostic pop
  return OsVersionInfo{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                       info.dwPlatformId};
}

}  // namespace qc::win
