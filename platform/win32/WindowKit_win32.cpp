// Frames, the message loop with the dialog keys, modal showing and the focus keeper.
#include "platform/win32/WindowKit_win32.h"

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

// Handles the thread's messages until state.ended is set or the window is gone; WM_QUIT
// ends it too and is posted again, so an outer loop sees it as well.
void Pump(HWND window, const WindowState& state) {
  MSG msg;
  while (!state.ended && IsWindow(window)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (PreTranslate(window, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool CanTakeFocus(HWND control) {
  return control != nullptr && IsWindow(control) && IsWindowEnabled(control) &&
         IsWindowVisible(control);
}

// The next tab stop after `from` that can take the focus and acts on keys (a picture
// only shows); nullptr when there is none.
HWND NextFocusAfter(HWND window, HWND from) {
  for (HWND next = GetNextDlgTabItem(window, from, FALSE); next != nullptr && next != from;
       next = GetNextDlgTabItem(window, next, FALSE)) {
    if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) == 0) return next;
  }
  return nullptr;
}

// WM_ACTIVATE: remembers the focused control when the window goes inactive and puts
// the focus back when it is activated again, on the next one if it cannot take it now.
bool KeepFocusAcrossActivation(HWND window, WPARAM wp, WindowState& state) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus)) state.lastFocus = focus;
    return false;
  }
  if (state.lastFocus == nullptr || !IsWindow(state.lastFocus)) return false;
  if (!CanTakeFocus(state.lastFocus)) state.lastFocus = NextFocusAfter(window, state.lastFocus);
  if (state.lastFocus == nullptr) return false;
  SetFocus(state.lastFocus);
  return true;
}

void MoveFocus(HWND window, WPARAM wp, LPARAM lp) {
  if (LOWORD(lp) != 0) {
    SetFocus(reinterpret_cast<HWND>(wp));
    return;
  }
  HWND next = GetNextDlgTabItem(window, GetFocus(), wp != 0 ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
}

}  // namespace

HWND CreateFrame(HINSTANCE instance, const wchar_t* className, WNDPROC proc,
                 std::string_view caption, int w, int h, int iconId, void* state) {
  if (!RegisterWindowClass(instance, className, proc, iconId)) return nullptr;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, className, ToW(caption).c_str(), style,
                              CW_USEDEFAULT, 0, 100, 100, nullptr, nullptr, instance, state);
  if (hwnd != nullptr) SizeClientAndCentre(hwnd, w, h);
  return hwnd;
}

LRESULT DefFrameProc(HWND window, UINT msg, WPARAM wp, LPARAM lp, WindowState& state) {
  switch (msg) {
    case WM_CLOSE:
      state.ended = true;
      return 0;
    case WM_ACTIVATE:
      if (KeepFocusAcrossActivation(window, wp, state)) return 0;
      break;
    case WM_NEXTDLGCTL:
      MoveFocus(window, wp, lp);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, msg, wp, lp);
}

void RunWindow(UniqueWindow& window, WindowState& state) {
  Pump(window.get(), state);
  window.reset();
}

void RunModal(UniqueWindow& window, HWND focus, WindowState& state) {
  HWND previous = GetActiveWindow();
  OtherWindows others{window.get(), {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&others));
  std::vector<UniqueDisabledWindow> disabled;
  for (HWND other : others.enabled) disabled.push_back(DisableWindow(other));

  state.lastFocus = focus;
  ShowWindow(window.get(), SW_SHOW);
  SetForegroundWindow(window.get());
  SetFocus(focus);
  UpdateWindow(window.get());
  Pump(window.get(), state);

  // Enable the outer windows before this one goes, so the activation returns to them.
  while (!disabled.empty()) disabled.pop_back();
  window.reset();
  if (previous != nullptr && IsWindow(previous) && IsWindowVisible(previous)) {
    SetForegroundWindow(previous);
  }
}

void DisableControl(HWND window, HWND control, WindowState& state) {
  if (GetFocus() == control || state.lastFocus == control) {
    HWND next = NextFocusAfter(window, control);
    if (GetFocus() == control && next != nullptr) SetFocus(next);
    if (state.lastFocus == control) state.lastFocus = next;
  }
  EnableWindow(control, FALSE);
}

}  // namespace qc::win
