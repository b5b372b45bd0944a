// The end-to-end driver: pictures of windows, written as 24-bit BMP files.
#include <fstream>
#include <vector>

#include "tests/e2e/driver/Driver.h"

namespace qc::e2e {
namespace {

struct Dib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  ~Dib() {
    if (dc != nullptr) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
};

BITMAPINFOHEADER HeaderFor(int w, int h) {
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof(bih);
  bih.biWidth = w;
  bih.biHeight = h;  // bottom-up, as BMP files store it
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  return bih;
}

bool MakeDib(Dib& dib, int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader = HeaderFor(w, h);
  dib.dc = CreateCompatibleDC(nullptr);
  dib.bitmap = CreateDIBSection(dib.dc, &bi, DIB_RGB_COLORS, &dib.bits, nullptr, 0);
  if (dib.dc == nullptr || dib.bitmap == nullptr) return false;
  dib.old = SelectObject(dib.dc, dib.bitmap);
  return true;
}

bool CopyFromScreen(HDC target, const RECT& r) {
  HDC screen = GetDC(nullptr);
  const BOOL ok = BitBlt(target, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
                         SRCCOPY | CAPTUREBLT);
  ReleaseDC(nullptr, screen);
  return ok != FALSE;
}

bool WriteBmp(const std::wstring& path, const Dib& dib, int w, int h) {
  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER bfh{};
  bfh.bfType = 0x4D42;  // "BM"
  bfh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  bfh.bfSize = bfh.bfOffBits + imageSize;
  BITMAPINFOHEADER bih = HeaderFor(w, h);
  bih.biSizeImage = imageSize;
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&bfh), sizeof(bfh));
  out.write(reinterpret_cast<const char*>(&bih), sizeof(bih));
  out.write(static_cast<const char*>(dib.bits), imageSize);
  return static_cast<bool>(out);
}

}  // namespace

bool SaveScreenshot(HWND hwnd, const std::wstring& path) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return false;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  Dib dib;
  if (w <= 0 || h <= 0 || !MakeDib(dib, w, h)) return false;
  // Let the target paint first: a fresh window may not have drawn itself yet.
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  Sleep(300);
  // The screen holds what the window drew, children included; PrintWindow relies on the
  // window handling WM_PRINTCLIENT, which plain window procedures do not.
  if (!CopyFromScreen(dib.dc, r) && !PrintWindow(hwnd, dib.dc, 0)) return false;
  GdiFlush();
  return WriteBmp(path, dib, w, h);
}

}  // namespace qc::e2e
