// The registry functions of advapi32, wide-character forms so that key names outside
// the system code page survive the round trip; names are UTF-8 on our side.
#include "platform/win32/Registry_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// The predefined roots are small 32-bit constants that 64-bit Windows sign-extends
// (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 there); RegKey carries them as 0x8000000x.
constexpr std::uint32_t kFirstPredefined = 0x80000000u;
constexpr std::uint32_t kLastPredefined = 0x80000006u;

bool IsPredefined(RegKey key) { return key >= kFirstPredefined && key <= kLastPredefined; }

HKEY ToHKey(RegKey key) {
  if (IsPredefined(key)) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  }
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

// ntdll's key deletion works on the handle itself, so a link opened as a link is
// deleted as one; RegDeleteKey reopens the name and would follow the link to its
// target. Both calls exist from NT 4 on; they are looked up in ntdll, which every
// process has loaded, so the program's import table names no ntdll function.
using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE key);
using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG status);

RegKey FromHKey(HKEY key) {
  const auto value = static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(key));
  const auto low = static_cast<std::uint32_t>(value);
  if (IsPredefined(low) && value == static_cast<LONG_PTR>(static_cast<LONG>(low))) return low;
  return static_cast<RegKey>(reinterpret_cast<ULONG_PTR>(key));
}

}  // namespace

long Win32Registry::OpenKeyEx(RegKey parent, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status =
      RegOpenKeyExW(ToHKey(parent), ToW(subKey).c_str(), options, access | view_, &opened);
  if (status == ERROR_SUCCESS) *result = FromHKey(opened);
  return status;
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::string* name,
                            std::uint32_t bufferChars) {
  // A fresh, zeroed buffer each call, so nothing of an earlier name can show through.
  std::vector<wchar_t> buffer(bufferChars == 0 ? 1 : bufferChars, L'\0');
  const LONG status = RegEnumKeyW(ToHKey(key), index, buffer.data(), bufferChars);
  if (status == ERROR_SUCCESS) {
    const std::wstring_view text(buffer.data(), buffer.size());
    *name = ToUtf8(text.substr(0, text.find(L'\0')));
  }
  return status;
}

long Win32Registry::DeleteOpenKey(RegKey key) {
  // A predefined root is never deleted.
  if (IsPredefined(key)) return ERROR_ACCESS_DENIED;
  static const auto deleteKey = SystemFunction<NtDeleteKeyFn>(L"ntdll.dll", "NtDeleteKey");
  static const auto toDosError =
      SystemFunction<RtlNtStatusToDosErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
  if (deleteKey == nullptr || toDosError == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const LONG status = deleteKey(ToHKey(key));
  return status == 0 ? ERROR_SUCCESS : LONG(toDosError(status));
}

long Win32Registry::CloseKey(RegKey key) {
  // A predefined root is shared by the whole process and must never be closed.
  if (IsPredefined(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHKey(key));
}

}  // namespace qc::win
