// Facts about the PC and the process from the kernel and the process token, and the
// local time.
#include "platform/win32/Machine_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/Security_win32.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/System_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

DateTime FromSystemTime(const SYSTEMTIME& t, int biasMinutes) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, biasMinutes};
}

// The bias in effect now: the zone's own, plus the daylight or standard one that applies.
int CurrentBias() {
  TIME_ZONE_INFORMATION zone;
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_DAYLIGHT:
      return int(zone.Bias + zone.DaylightBias);
    case TIME_ZONE_ID_STANDARD:
      return int(zone.Bias + zone.StandardBias);
    case TIME_ZONE_ID_UNKNOWN:  // a zone without daylight saving
      return int(zone.Bias);
    default:
      return 0;
  }
}

}  // namespace

bool Win32Machine::IsWindows64Bit() {
  if constexpr (sizeof(void*) == 8) return true;
  // A 32-bit program learns it from WOW64. IsWow64Process is not in every XP release,
  // and the program must start on all of them, so it is looked up, not imported.
  const auto isWow64 =
      SystemFunction<BOOL(WINAPI*)(HANDLE, PBOOL)>(L"kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

bool Win32Machine::IsProgram64Bit() { return sizeof(void*) == 8; }

bool Win32Machine::IsLocalSystem() {
  ProcessUser user;
  return user.Sid() != nullptr && IsWellKnownSid(user.Sid(), WinLocalSystemSid);
}

bool Win32Machine::IsAdministrator() { return ProcessIsAdministrator(); }

std::string Win32Machine::WindowsVersion() {
  const std::optional<OsVersionInfo> v = ReadWindowsVersion(VersionAnswer::OfTheKernel);
  if (!v) return {};
  return std::to_string(v->majorVersion) + "." + std::to_string(v->minorVersion) + "." +
         std::to_string(v->buildNumber);
}

std::string Win32Machine::AccountName() {
  ProcessUser user;
  if (user.Sid() != nullptr) {
    wchar_t name[256], domain[256];
    DWORD nameChars = 256, domainChars = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, user.Sid(), name, &nameChars, domain, &domainChars, &use)) {
      if (domain[0] == L'\0') return ToUtf8(name);
      return ToUtf8(domain) + "\\" + ToUtf8(name);
    }
  }
  wchar_t name[257];
  DWORD chars = 257;
  return GetUserNameW(name, &chars) ? ToUtf8(name) : std::string();
}

std::uint32_t Win32Machine::ProcessId() { return GetCurrentProcessId(); }

std::optional<std::uint32_t> Win32Machine::SessionId() {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return std::nullopt;
  return session;
}

std::optional<std::string> Win32Machine::ProgramFiles64() {
  if (!IsWindows64Bit()) return std::nullopt;
  UniqueHKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t value[MAX_PATH + 1] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(value) - sizeof(wchar_t);  // room for a terminator the value may lack
  if (RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, &type,
                       reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return ToUtf8(value);
}

std::string Win32Machine::AccountSid() { return ProcessUserSid(); }

DateTime Win32Clock::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return FromSystemTime(t, CurrentBias());
}

DateTime Win32Clock::NowUtc() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return FromSystemTime(t, 0);
}

}  // namespace qc::win
