// The main window Form1 in raw Win32.
#include "app/Form1Window_win32.h"

#include "platform/win32/Utf.h"
#include "platform/win32/Widgets_win32.h"
#include "resources/resource.h"
#include "texts/Form1Texts.h"

namespace qc::win {
namespace {

constexpr wchar_t kClassName[] = L"QcForm1";
constexpr int kIdPicture1 = 1000;
constexpr int kIdBtnClean = 1001;
constexpr int kIdListWork = 1002;
constexpr int kIdBtnExit = 1003;

}  // namespace

bool Form1Window::Create() {
  hwnd_.reset(CreateFrame(instance_, kClassName, WindowProcOf<Form1Window, &Form1Window::Handle>,
                          kMainCaption, 856, 412, IDI_APP, this));
  if (!hwnd_) return false;
  CreateControls();
  return true;
}

void Form1Window::CreateControls() {
  banner_.reset(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER_MAIN), IMAGE_BITMAP, 0, 0,
                           LR_CREATEDIBSECTION));
  HWND picture1 = CreatePictureBox(hwnd_.get(), kIdPicture1, {0, 0, 697, 57},
                                   static_cast<HBITMAP>(banner_.get()));
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
  btnClean_ = CreateControl(hwnd_.get(), L"BUTTON", "&Clean PC", kButton, 0, {704, 8, 145, 25},
                            kIdBtnClean);
  listWork_ = CreateControl(hwnd_.get(), L"LISTBOX", "",
                            WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                            WS_EX_CLIENTEDGE, {8, 64, 841, 342}, kIdListWork);
  btnExit_ =
      CreateControl(hwnd_.get(), L"BUTTON", "E&xit", kButton, 0, {704, 32, 145, 25}, kIdBtnExit);
  const HWND tabOrder[] = {btnExit_, listWork_, btnClean_, picture1};
  SetTabOrder(tabOrder, 4);
  font_.reset(CreateDialogFont());
  ApplyFont(hwnd_.get(), static_cast<HFONT>(font_.get()));
}

void Form1Window::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_.get(), SW_SHOW);
  SetFocus(btnExit_);
  UpdateWindow(hwnd_.get());
}

void Form1Window::RunMessageLoop() { RunWindow(hwnd_, state_); }

LRESULT Form1Window::Handle(Form1Window& self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      self.OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_DESTROY:
      self.hwnd_.release();  // destroyed already
      return 0;
    default:
      return DefFrameProc(hwnd, msg, wp, lp, self.state_);
  }
}

void Form1Window::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED || logic_ == nullptr) return;
  if (id == kIdBtnClean) logic_->btnClean_Click();
  if (id == kIdBtnExit) logic_->btnExit_Click();
}

MsgAnswer Form1Window::MsgBox(std::string_view text, std::string_view title, MsgButtons buttons) {
  const UINT flags = static_cast<UINT>(buttons) | MB_DEFBUTTON1;
  return static_cast<MsgAnswer>(
      MessageBoxW(hwnd_.get(), ToW(text).c_str(), ToW(title).c_str(), flags));
}

void Form1Window::EnableCleanButton(bool enabled) {
  if (enabled) {
    EnableWindow(btnClean_, TRUE);
  } else {
    DisableControl(hwnd_.get(), btnClean_, state_);
  }
}

AckOutcome Form1Window::ShowAcknowledgeModal() {
  return acknowledge_ ? acknowledge_() : AckOutcome::NotShown;
}

void Form1Window::UnloadMainWindow() { state_.ended = true; }

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
