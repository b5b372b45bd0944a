// Calls newer than the program's oldest Windows, which the declarations follow, for the
// adapter tests only: they run on Windows versions and Wine builds that have them.
#pragma once

#include <windows.h>

#if _WIN32_WINNT < 0x0600
extern "C" {
WINADVAPI LONG WINAPI RegDeleteTreeW(HKEY key, LPCWSTR subKey);
WINBASEAPI BOOLEAN WINAPI CreateSymbolicLinkW(LPCWSTR link, LPCWSTR target, DWORD flags);
}
#ifndef SYMBOLIC_LINK_FLAG_DIRECTORY
#define SYMBOLIC_LINK_FLAG_DIRECTORY 0x1
#endif
#endif
