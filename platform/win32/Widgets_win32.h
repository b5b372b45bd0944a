// Small pieces every window of the program shares: the dialog font, the icon, the
// banner picture box, client-area sizing and centring.
#pragma once

#include <windows.h>

namespace qc::win {

// "MS Sans Serif" 8.25 pt at 96 dpi (11 pixels); where that face is missing, the first
// installed face of a short list of faces of about its width.
HFONT CreateDialogFont(bool bold = false, bool underline = false);
// The face CreateDialogFont uses on this machine.
const wchar_t* DialogFontFace();

// Registers the window class once; icon in 32 and 16 pixels from the resources.
ATOM RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc);

// A picture box: draws its bitmap at the top-left corner at natural size, clipped by
// the box; it can take the focus like any tab stop.
HWND CreatePictureBox(HINSTANCE instance, HWND parent, int id, int x, int y, int w, int h,
                      HBITMAP bitmap);

// Sizes a top-level window so its client area is w x h pixels and centres it.
void SizeClientAndCentre(HWND hwnd, int w, int h);

// Puts the children in tab order: each one after the previous in the z-order.
void SetTabOrder(const HWND* controls, int count);

// Sends every child the font.
void ApplyFont(HWND parent, HFONT font);

}  // namespace qc::win
