// The end-to-end driver: child controls, buttons, list boxes, focus and geometry.
#include "tests/e2e/driver/Driver.h"

namespace qc::e2e {
namespace {

bool SameClass(HWND hwnd, const std::wstring& className) {
  return CompareStringOrdinal(ClassName(hwnd).c_str(), -1, className.c_str(), -1, TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(c);
  }
  return children;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& caption) {
  for (HWND c : ChildrenOf(parent)) {
    if (SameClass(c, className) && (caption.empty() || WindowText(c) == caption)) return c;
  }
  return nullptr;
}

HWND FindChildAt(HWND parent, const std::wstring& className, POINT clientPoint) {
  for (HWND c : ChildrenOf(parent)) {
    const RECT r = RectInParent(c);
    if ((className.empty() || SameClass(c, className)) && PtInRect(&r, clientPoint)) return c;
  }
  return nullptr;
}

bool PressButton(HWND parent, const std::wstring& caption) {
  HWND button = FindChild(parent, L"Button", caption);
  if (button == nullptr) return false;
  // Posted, not sent: the click may open a modal box, and a sent message would keep
  // this test waiting inside the target's modal loop.
  return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

std::vector<std::wstring> ListBoxLines(HWND listBox) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT len = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len == LB_ERR) break;
    std::wstring line(static_cast<std::size_t>(len) + 1, L'\0');
    const LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(line.data()));
    line.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    lines.push_back(std::move(line));
  }
  return lines;
}

bool IsEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }

bool IsVisible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }

HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(threadId, &info)) return nullptr;
  return info.hwndFocus;
}

SIZE ClientSize(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT RectInParent(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void PostClose(HWND hwnd, bool viaSysCommand) {
  if (viaSysCommand) {
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
}

bool TypeKey(WORD vk, bool alt) {
  INPUT keys[4]{};
  UINT n = 0;
  auto add = [&](WORD key, bool up) {
    keys[n].type = INPUT_KEYBOARD;
    keys[n].ki.wVk = key;
    keys[n].ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    keys[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ++n;
  };
  if (alt) add(VK_MENU, false);
  add(vk, false);
  add(vk, true);
  if (alt) add(VK_MENU, true);
  return SendInput(n, keys, sizeof(INPUT)) == n;
}

}  // namespace qc::e2e
