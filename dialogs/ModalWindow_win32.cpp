// The frame and the modal loop of the acknowledgement dialog and the terms viewer.
#include "dialogs/ModalWindow_win32.h"

#include <vector>

#include "platform/win32/Utf.h"
#include "platform/win32/Widgets_win32.h"

namespace qc::win {
namespace {

struct OtherWindows {
  HWND self;
  std::vector<HWND> enabled;
};

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lp) {
  auto* others = reinterpret_cast<OtherWindows*>(lp);
  if (hwnd != others->self && IsWindowEnabled(hwnd)) others->enabled.push_back(hwnd);
  return TRUE;
}

bool IsButton(HWND hwnd) {
  wchar_t cls[16]{};
  GetClassNameW(hwnd, cls, 16);
  return lstrcmpiW(cls, L"Button") == 0;
}

// Enter presses the focused button (there is no default button to press instead).
// Escape does nothing anywhere: a multi-line text box would otherwise ask its window
// to close. Everything else the dialog manager handles: Tab, Alt+access key, Space.
bool PreTranslate(HWND window, MSG& msg) {
  if (!IsChild(window, msg.hwnd) && msg.hwnd != window) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) return true;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && IsButton(msg.hwnd)) {
    SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
    return true;
  }
  return IsDialogMessageW(window, &msg) != FALSE;
}

}  // namespace

HWND CreateModalFrame(HINSTANCE instance, const wchar_t* className, WNDPROC proc,
                      const std::string& caption, int w, int h, void* state) {
  RegisterWindowClass(instance, className, proc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, className, ToW(caption).c_str(), style,
                              CW_USEDEFAULT, 0, 100, 100, nullptr, nullptr, instance, state);
  if (hwnd != nullptr) SizeClientAndCentre(hwnd, w, h);
  return hwnd;
}

HWND CreateControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                   DWORD exStyle, const Box& box, int id) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  return CreateWindowExW(exStyle, className, ToW(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                         box.x, box.y, box.w, box.h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void RunModal(HWND window, HWND focus, ModalState& state) {
  HWND previous = GetActiveWindow();
  OtherWindows others{window, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&others));
  for (HWND other : others.enabled) EnableWindow(other, FALSE);

  state.lastFocus = focus;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(focus);
  UpdateWindow(window);

  MSG msg;
  while (!state.ended && IsWindow(window)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      break;
    }
    if (PreTranslate(window, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  // Enable the outer windows before this one goes, so the activation returns to them.
  for (auto it = others.enabled.rbegin(); it != others.enabled.rend(); ++it) {
    EnableWindow(*it, TRUE);
  }
  if (IsWindow(window)) DestroyWindow(window);
  if (previous != nullptr && IsWindow(previous) && IsWindowVisible(previous)) {
    SetForegroundWindow(previous);
  }
}

bool KeepFocusAcrossActivation(HWND window, WPARAM wp, ModalState& state) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus)) state.lastFocus = focus;
    return false;
  }
  if (state.lastFocus != nullptr && IsWindow(state.lastFocus)) {
    SetFocus(state.lastFocus);
    return true;
  }
  return false;
}

void MoveFocus(HWND window, WPARAM wp, LPARAM lp) {
  if (LOWORD(lp) != 0) {
    SetFocus(reinterpret_cast<HWND>(wp));
    return;
  }
  HWND next = GetNextDlgTabItem(window, GetFocus(), wp != 0 ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
}

}  // namespace qc::win
