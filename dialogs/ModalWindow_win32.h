// What the two modal windows of the start share: a fixed-border frame, a modal message
// loop that leaves only the innermost window open to input, dialog keys without a
// default or cancel button, and the owners of their fonts and bitmaps.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Owners.h"

namespace qc::win {

struct GdiTraits {
  using Type = HGDIOBJ;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
using UniqueGdi = UniqueResource<GdiTraits>;

// The part of a modal window's state that the loop reads; each window keeps its own
// state, with this inside, in GWLP_USERDATA.
struct ModalState {
  bool ended = false;        // a handler sets it to unload the window
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

// A hidden top-level window without owner: caption, window menu and close button, no
// minimise or maximise button, fixed border, client area w x h, centred on the screen.
HWND CreateModalFrame(HINSTANCE instance, const wchar_t* className, WNDPROC proc,
                      const std::string& caption, int w, int h, void* state);

// A control's place in its window's client area, in pixels.
struct Box {
  int x, y, w, h;
};

// A child control at its place; the id stays clear of IDOK and IDCANCEL so
// that Enter and Escape, when the dialog manager routes them, press nothing.
HWND CreateControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                   DWORD exStyle, const Box& box, int id);

// Shows the window modally: every other enabled top-level window of the thread is
// disabled, the window is shown with the focus on `focus`, and messages are handled
// until state.ended is set (or WM_QUIT arrives, which is posted again for the outer
// loop). Then the other windows are enabled again and the window is destroyed.
void RunModal(HWND window, HWND focus, ModalState& state);

// WM_ACTIVATE: remembers the focused control when the window goes inactive and puts
// the focus back when it is activated again. True when the message was handled.
bool KeepFocusAcrossActivation(HWND window, WPARAM wp, ModalState& state);

// WM_NEXTDLGCTL, which a multi-line text box sends for Tab: moves the focus to the next
// (wp 0) or previous tab stop, or to the control in wp when lp is true.
void MoveFocus(HWND window, WPARAM wp, LPARAM lp);

}  // namespace qc::win
