// The terms viewer Agreement in raw Win32.
#include "dialogs/Agreement_win32.h"

#include <string>

#include "dialogs/TermsText.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Widgets_win32.h"
#include "platform/win32/WindowKit_win32.h"
#include "resources/resource.h"

namespace qc::win {
namespace {

constexpr wchar_t kClassName[] = L"QcAgreement";
constexpr int kIdText1 = 1200;
constexpr int kIdCommand1 = 1201;

struct AgreementState : WindowState {
  HWND text1 = nullptr;
  HWND command1 = nullptr;
};

std::wstring TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

// The viewer's load: part one first, then the box's own text with part two appended.
void Form_Load(const AgreementState& s) {
  SendMessageW(s.text1, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the box can hold
  SetWindowTextW(s.text1, ToW(TermsPartOne()).c_str());
  const std::wstring whole = TextOf(s.text1) + ToW(TermsPartTwo());
  SetWindowTextW(s.text1, whole.c_str());
}

void CreateControls(AgreementState& s, HWND hwnd) {
  s.text1 = CreateControl(hwnd, L"EDIT", "",
                          WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                          WS_EX_CLIENTEDGE, {8, 8, 465, 321}, kIdText1);
  s.command1 = CreateControl(hwnd, L"BUTTON", kAgreementCommand1, WS_TABSTOP | BS_PUSHBUTTON, 0,
                             {400, 336, 73, 25}, kIdCommand1);
  const HWND tabOrder[] = {s.command1, s.text1};
  SetTabOrder(tabOrder, 2);
}

LRESULT Handle(AgreementState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kIdCommand1 && HIWORD(wp) == BN_CLICKED) s.ended = true;
      return 0;
    case WM_CTLCOLORSTATIC:
      // A read-only box would be painted grey; the terms keep the text-box colours.
      if (reinterpret_cast<HWND>(lp) == s.text1) {
        return StaticColours(wp, COLOR_WINDOWTEXT, COLOR_WINDOW);
      }
      break;
    default:
      break;
  }
  // The close button unloads the viewer as "&OK" does.
  return DefFrameProc(hwnd, msg, wp, lp, s);
}

}  // namespace

void ShowAgreement(HINSTANCE instance) {
  AgreementState s;
  const UniqueGdi font(CreateDialogFont());
  UniqueWindow frame(CreateFrame(instance, kClassName, WindowProcOf<AgreementState, Handle>,
                                 kAgreementCaption, 482, 367, IDI_APP, &s));
  if (!frame) return;  // nothing to show; the dialog underneath stays usable
  CreateControls(s, frame.get());
  ApplyFont(frame.get(), static_cast<HFONT>(font.get()));
  Form_Load(s);
  RunModal(frame, s.command1, s);
}

}  // namespace qc::win
