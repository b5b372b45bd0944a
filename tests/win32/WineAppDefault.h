// A setting Wine reads for one program, by its file name, when the program starts: the
// Windows version it reports to it, or a DLL it does not load. Gone again with the object.
#pragma once

#include <windows.h>

#include <string>

namespace qc::win {

class WineAppDefault {
 public:
  // The value `name` = `text` in AppDefaults\<exe>\<subKey>.
  WineAppDefault(const std::wstring& exe, const wchar_t* subKey, const wchar_t* name,
                 const std::wstring& text)
      : key_(L"Software\\Wine\\AppDefaults\\" + exe),
        ok_(RegSetKeyValueW(HKEY_CURRENT_USER, (key_ + subKey).c_str(), name, REG_SZ, text.c_str(),
                            DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS) {}
  WineAppDefault(const WineAppDefault&) = delete;
  WineAppDefault& operator=(const WineAppDefault&) = delete;
  ~WineAppDefault() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::wstring key_;
  bool ok_;
};

// Wine's WMI provider switched off for the program: creating a WMI locator fails there.
inline const wchar_t kWithoutWmi[] = L"\\DllOverrides";

}  // namespace qc::win
