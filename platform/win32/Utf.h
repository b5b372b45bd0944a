// UTF-8 inside, UTF-16 at the Windows API: the one pair of conversions. Names that are not
// well-formed UTF-16 survive the round trip (see Wtf8Of).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/Wtf8.h"

namespace qc::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");

inline std::wstring ToW(std::string_view s) {
  const std::u16string wide = Utf16Of(s);
  return std::wstring(wide.begin(), wide.end());
}

inline std::string ToUtf8(std::wstring_view s) {
  return Wtf8Of(std::u16string(s.begin(), s.end()));
}

}  // namespace qc::win
