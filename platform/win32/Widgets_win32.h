// Small pieces every window of the program shares: the dialog font, window classes,
// child controls, the banner picture box, client-area sizing and centring.
#pragma once

#include <windows.h>

#include <string_view>

namespace qc::win {

// "MS Sans Serif" 8.25 pt at 96 dpi (11 pixels); where that face is missing, the first
// installed face of a short list of faces of about its width.
HFONT CreateDialogFont(bool bold = false, bool underline = false);
// The face CreateDialogFont uses on this machine.
const wchar_t* DialogFontFace();

// Registers the window class once, with the icon resource iconId in 32 and 16 pixels.
// True when the class is registered (now or before).
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int iconId);

// A control's place in its window's client area, in pixels.
struct Box {
  int x, y, w, h;
};

// A visible child control at its place. Ids stay clear of IDOK and IDCANCEL, so that
// Enter and Escape, when the dialog manager routes them, press nothing.
HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, const Box& box, int id);

// A picture box: draws its bitmap at the top-left corner at natural size, clipped by
// the box, on the default background; it can take the focus like any tab stop, and
// like a static control it takes no keys.
HWND CreatePictureBox(HWND parent, int id, const Box& box, HBITMAP bitmap);

// Sizes a top-level window so its client area is w x h pixels and centres it.
void SizeClientAndCentre(HWND hwnd, int w, int h);

// Puts the children in tab order: each one after the previous in the z-order.
void SetTabOrder(const HWND* controls, int count);

// WM_CTLCOLORSTATIC's answer for a control drawn in the system colours textColour and
// backColour (COLOR_... indexes) on the device context in wp.
LRESULT StaticColours(WPARAM wp, int textColour, int backColour);

// Sends every child the font.
void ApplyFont(HWND parent, HFONT font);

}  // namespace qc::win
