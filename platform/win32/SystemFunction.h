// A function of a system DLL looked up at run time instead of imported: calls newer than
// the oldest Windows the program starts on, and ntdll's, which its import table never
// names. Only for DLLs that every process has loaded (kernel32, ntdll).
#pragma once

#include <windows.h>

namespace qc::win {

// Null where this Windows lacks the function.
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll), name)));
}

}  // namespace qc::win
