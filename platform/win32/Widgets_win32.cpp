// Shared window pieces: font, window classes, controls, banner picture box, sizing.
#include "platform/win32/Widgets_win32.h"

#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

constexpr wchar_t kPictureClass[] = L"QcPictureBox";

void DrawBitmap(HDC dc, HBITMAP bitmap) {
  const UniqueMemoryDc memory(CreateCompatibleDC(dc));
  const UniqueSelection selected = SelectInto(memory.get(), bitmap);
  BITMAP bm{};
  GetObjectW(bitmap, sizeof(bm), &bm);
  BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      const UniquePaint painting = BeginPainting(hwnd);
      auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (bitmap != nullptr) DrawBitmap(painting.get().paint.hdc, bitmap);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lp) {
  *reinterpret_cast<bool*>(lp) = true;
  return 0;  // one is enough
}

bool IsFaceInstalled(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  const UniqueWindowDc screen({nullptr, GetDC(nullptr)});
  EnumFontFamiliesExW(screen.get().dc, &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

const wchar_t* DialogFontFace() {
  // Faces that set the fixed layouts' texts at about the width of the first one; the
  // font mapper's own choice for a missing face can be too wide for the labels.
  static constexpr const wchar_t* kFaces[] = {L"MS Sans Serif",   L"Microsoft Sans Serif",
                                              L"Tahoma",          L"Arial",
                                              L"Liberation Sans", L"DejaVu Sans Condensed"};
  for (const wchar_t* face : kFaces) {
    if (IsFaceInstalled(face)) return face;
  }
  return kFaces[0];
}

HFONT CreateDialogFont(bool bold, bool underline) {
  return CreateFontW(-11, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, DialogFontFace());
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int iconId) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, name, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The default background of forms and picture boxes; no window sets a colour.
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  if (iconId != 0) {
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  }
  return RegisterClassExW(&wc) != 0;
}

HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, const Box& box, int id) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  return CreateWindowExW(exStyle, className, ToW(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                         box.x, box.y, box.w, box.h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HWND CreatePictureBox(HWND parent, int id, const Box& box, HBITMAP bitmap) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  if (!RegisterWindowClass(instance, kPictureClass, PictureProc, 0)) return nullptr;
  HWND picture = CreateControl(parent, kPictureClass, "", WS_TABSTOP, 0, box, id);
  SetWindowLongPtrW(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
  return picture;
}

void SizeClientAndCentre(HWND hwnd, int w, int h) {
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  const int ww = r.right - r.left;
  const int wh = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - ww) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - wh) / 2;
  SetWindowPos(hwnd, nullptr, x, y, ww, wh, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetTabOrder(const HWND* controls, int count) {
  if (count > 0) {
    SetWindowPos(controls[0], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (int i = 1; i < count; ++i) {
    SetWindowPos(controls[i], controls[i - 1], 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

LRESULT StaticColours(WPARAM wp, int textColour, int backColour) {
  const auto dc = reinterpret_cast<HDC>(wp);
  SetTextColor(dc, GetSysColor(textColour));
  SetBkColor(dc, GetSysColor(backColour));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(backColour));
}

void ApplyFont(HWND parent, HFONT font) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

}  // namespace qc::win
