// Adapters for the command line, the process environment and the Windows version.
#include "platform/win32/System_win32.h"

#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/win32/SystemFunction.h"
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

namespace {

// Both structures begin alike; only the size field is set before the call.
template <typename Info, typename Call>
std::optional<OsVersionInfo> Read(Call call) {
  Info info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!call(&info)) return std::nullopt;
  return OsVersionInfo{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                       info.dwPlatformId};
}

}  // namespace

std::optional<OsVersionInfo> ReadWindowsVersion(VersionAnswer answer) {
  if (answer == VersionAnswer::OfTheKernel) {
    // An ntdll export the program does not link against; ntdll is in every process.
    const auto rtlGetVersion =
        SystemFunction<LONG(WINAPI*)(OSVERSIONINFOW*)>(L"ntdll.dll", "RtlGetVersion");
    return Read<OSVERSIONINFOW>(
        [&](OSVERSIONINFOW* info) { return rtlGetVersion != nullptr && rtlGetVersion(info) == 0; });
  }
  // The ANSI structure in its 148-byte form.
  static_assert(sizeof(OSVERSIONINFOA) == 148);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return Read<OSVERSIONINFOA>([](OSVERSIONINFOA* info) { return GetVersionExA(info) == 1; });
#pragma GCC diagnostic pop
}

std::optional<OsVersionInfo> Win32OsVersion::QueryVersion() {
  return ReadWindowsVersion(VersionAnswer::ToThisProgram);
}

}  // namespace qc::win
