// The program's own keys under HKEY_LOCAL_MACHINE: created, written and read in one
// registry view.
#include "platform/win32/MachineKeys_win32.h"

#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

Status Failed(LONG error, const char* call) { return Status::Fail(CodeOf(error), error, call); }

LONG SetValue(HKEY key, const KeyValue& value) {
  const std::wstring name = ToW(value.name);
  if (value.type == ValueType::Number) {
    const DWORD number = value.number;
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number);
  }
  const std::wstring text = ToW(value.text);
  return RegSetValueExW(
      key, name.c_str(), 0, value.type == ValueType::ExpandableText ? REG_EXPAND_SZ : REG_SZ,
      reinterpret_cast<const BYTE*>(text.c_str()), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

Status Win32MachineKeys::Write(const std::string& subKey, const std::vector<KeyValue>& values) {
  UniqueHKey key;
  const LONG created =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, ToW(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | view_, nullptr, key.put(), nullptr);
  if (created != ERROR_SUCCESS) return Failed(created, "RegCreateKeyExW");
  for (const KeyValue& value : values) {
    const LONG set = SetValue(key.get(), value);
    if (set != ERROR_SUCCESS) return Failed(set, "RegSetValueExW");
  }
  return Status::Success();
}

std::optional<std::string> Win32MachineKeys::ReadText(const std::string& subKey,
                                                      const std::string& name) {
  UniqueHKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ToW(subKey).c_str(), 0, KEY_QUERY_VALUE | view_,
                    key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring wideName = ToW(name);
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  // Room for a terminator the stored value may lack.
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  return ToUtf8(text.data());
}

}  // namespace qc::win
