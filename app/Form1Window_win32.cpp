// The main window Form1 in raw Win32.
#include "app/Form1Window_win32.h"

#include "platform/win32/Utf.h"
#include "platform/win32/Widgets_win32.h"
#include "resources/resource.h"

namespace qc::win {
namespace {

constexpr wchar_t kClassName[] = L"QcForm1";
constexpr wchar_t kCaption[] = L"Quenzor v5.x Client Cache Cleaner";
// Control ids stay clear of IDOK and IDCANCEL, so Enter and Escape handled by the
// dialog manager press nothing.
constexpr int kIdPicture1 = 1000;
constexpr int kIdBtnClean = 1001;
constexpr int kIdListWork = 1002;
constexpr int kIdBtnExit = 1003;

}  // namespace

Form1Window::~Form1Window() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
  if (banner_ != nullptr) DeleteObject(banner_);
}

bool Form1Window::Create() {
  RegisterWindowClass(instance_, kClassName, WndProc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, kCaption, style, CW_USEDEFAULT, 0,
                          100, 100, nullptr, nullptr, instance_, this);
  if (hwnd_ == nullptr) return false;
  SizeClientAndCentre(hwnd_, 856, 412);
  CreateControls();
  return true;
}

void Form1Window::CreateControls() {
  banner_ = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER_MAIN),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  picture1_ = CreatePictureBox(instance_, hwnd_, kIdPicture1, 0, 0, 697, 57, banner_);
  auto button = [&](const wchar_t* text, int id, int y) {
    return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                           704, y, 145, 25, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  };
  btnClean_ = button(L"&Clean PC", kIdBtnClean, 8);
  listWork_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"LISTBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 8, 64,
      841, 342, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdListWork)), instance_,
      nullptr);
  btnExit_ = button(L"E&xit", kIdBtnExit, 32);
  const HWND tabOrder[] = {btnExit_, listWork_, btnClean_, picture1_};
  SetTabOrder(tabOrder, 4);
  font_ = CreateDialogFont();
  ApplyFont(hwnd_, font_);
}

void Form1Window::Show() {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(btnExit_);
  UpdateWindow(hwnd_);
}

bool Form1Window::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr || !IsChild(hwnd_, msg.hwnd)) return false;
  // Enter presses the button that has the focus; the window has no default button.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    wchar_t cls[16]{};
    GetClassNameW(msg.hwnd, cls, 16);
    if (lstrcmpiW(cls, L"Button") == 0) {
      SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
      return true;
    }
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void Form1Window::RunMessageLoop() {
  MSG msg;
  while (hwnd_ != nullptr && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK Form1Window::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  // No C++ exception may unwind through Windows' own frames.
  try {
    return self->Handle(hwnd, msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT Form1Window::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_ACTIVATE:
      // Keep the focused control across deactivation, as a dialog does.
      if (LOWORD(wp) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
      } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Form1Window::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED || logic_ == nullptr) return;
  if (id == kIdBtnClean) logic_->btnClean_Click();
  if (id == kIdBtnExit) logic_->btnExit_Click();
}

MsgAnswer Form1Window::MsgBox(std::string_view text, std::string_view title,
                                  MsgButtons buttons) {
  const UINT flags = static_cast<UINT>(buttons) | MB_DEFBUTTON1;
  return static_cast<MsgAnswer>(
      MessageBoxW(hwnd_, ToW(text).c_str(), ToW(title).c_str(), flags));
}

void Form1Window::EnableCleanButton(bool enabled) { EnableWindow(btnClean_, enabled); }

void Form1Window::ShowAcknowledgeModal() {
  if (acknowledge_) acknowledge_();
}

void Form1Window::UnloadMainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool Form1Window::IsDesktopVisible() {
  USEROBJECTFLAGS flags{};
  if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags),
                                 nullptr)) {
    return true;  // cannot tell: behave as on a normal desktop
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void Form1Window::EndProgram(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

void Form1Window::AddItem(std::string_view line) {
  SendMessageW(listWork_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToW(line).c_str()));
}

}  // namespace qc::win
