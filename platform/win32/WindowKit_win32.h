// What the program's three windows share beyond their controls: the frame, the window
// procedure's exception firewall, the message loop with the dialog keys, modal showing,
// and keeping the focus on a control that can take it.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/win32/Owners.h"

namespace qc::win {

// The part of a window's state that the kit reads; each window keeps its own state, with
// this inside, in GWLP_USERDATA.
struct WindowState {
  bool ended = false;        // set to unload the window (a handler, the close button)
  HWND lastFocus = nullptr;  // the control to give the focus back to on reactivation
};

// Stores the creation parameter in GWLP_USERDATA at WM_NCCREATE and returns the stored
// state (nullptr before that).
template <typename State>
State* StateOf(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The window procedure of a window whose state is a State: hands every message to
// Handler once the state is known. No C++ exception may unwind through Windows' own
// frames; one that reaches here leaves the message to Windows.
template <typename State, LRESULT (*Handler)(State&, HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowProcOf(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (State* state = StateOf<State>(hwnd, msg, lp)) return Handler(*state, hwnd, msg, wp, lp);
  } catch (...) {
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A hidden top-level window without owner: caption, window menu and close button, no
// minimise or maximise button, fixed border, the icon resource iconId, client area
// w x h, centred on the screen. nullptr when it cannot be created.
HWND CreateFrame(HINSTANCE instance, const wchar_t* className, WNDPROC proc,
                 std::string_view caption, int w, int h, int iconId, void* state);

// What a frame does with the messages its own handler leaves: the close button unloads
// it (state.ended), the focus is kept across activation, WM_NEXTDLGCTL (which a
// multi-line text box sends for Tab) moves it; the rest goes to DefWindowProcW.
LRESULT DefFrameProc(HWND window, UINT msg, WPARAM wp, LPARAM lp, WindowState& state);

// Handles the thread's messages until state.ended is set or the window is gone (or
// WM_QUIT arrives, which is posted again for an outer loop); then destroys the window.
// The owner keeps the window meanwhile, so the handlers can still use it.
void RunWindow(UniqueWindow& window, WindowState& state);

// Shows the window modally: every other enabled top-level window of the thread is
// disabled, the window is shown with the focus on `focus` and run as RunWindow does;
// then the other windows are enabled again before it goes.
void RunModal(UniqueWindow& window, HWND focus, WindowState& state);

// Disables a control; if it has the focus, the focus moves first to the next control in
// the tab order that can take it, so the keyboard keeps working.
void DisableControl(HWND window, HWND control, WindowState& state);

}  // namespace qc::win
