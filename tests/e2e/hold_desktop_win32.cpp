// Keeps Wine's desktop open for a whole test run. Wine closes a desktop about a second
// after the last ordinary program on it ends; a test program that starts the cleaner in
// that second can have it start on a desktop that is going away, where no window can be
// created. This program stays on the desktop, with a window nobody sees, until it is
// killed (scripts/test.sh ends it with the Wine server). Its argument names a file it
// creates once its window is there, so the script knows the desktop is held.
#include <windows.h>

namespace {

LRESULT CALLBACK HoldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // the desktop asks its programs to close: stay
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR readyFile, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = HoldProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"QcHoldDesktop";
  if (RegisterClassExW(&wc) == 0) return 1;
  // Never shown: it must not take the foreground or the focus from the windows under test.
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  if (readyFile != nullptr && *readyFile != L'\0') {
    HANDLE ready = CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(ready);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
