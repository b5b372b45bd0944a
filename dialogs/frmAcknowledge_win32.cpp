// The acknowledgement dialog frmAcknowledge in raw Win32.
#include "dialogs/frmAcknowledge_win32.h"

#include "dialogs/Agreement_win32.h"
#include "dialogs/TermsText.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Widgets_win32.h"
#include "platform/win32/WindowKit_win32.h"
#include "resources/resource.h"

namespace qc::win {
namespace {

constexpr wchar_t kClassName[] = L"QcAcknowledge";
constexpr int kIdPicture1 = 1100;
constexpr int kIdLabel3 = 1101;
constexpr int kIdLabel4 = 1102;
constexpr int kIdLabel6 = 1103;
constexpr int kIdLabel1 = 1104;
constexpr int kIdLabel2 = 1105;
constexpr int kIdBtnOK = 1106;
constexpr int kIdBtnCANCEL = 1107;

struct AckState : WindowState {
  HINSTANCE instance = nullptr;
  AckOutcome outcome = AckOutcome::Accepted;
  HWND btnOK = nullptr;
  HWND label2 = nullptr;
};

struct AckResources {
  UniqueGdi regular{CreateDialogFont()};
  UniqueGdi bold{CreateDialogFont(true)};
  UniqueGdi underlined{CreateDialogFont(false, true)};
  UniqueGdi banner;
};

// Labels wrap at word boundaries and show their text as it is: no access keys.
HWND Label(HWND parent, const char* text, const Box& box, int id, HGDIOBJ font, DWORD extra = 0) {
  HWND label = CreateControl(parent, L"STATIC", text, SS_LEFT | SS_NOPREFIX | extra, 0, box, id);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

HWND Button(HWND parent, const char* text, const Box& box, int id, HGDIOBJ font) {
  HWND button = CreateControl(parent, L"BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, 0, box, id);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return button;
}

void CreateControls(AckState& s, const AckResources& r, HWND hwnd) {
  HWND picture1 =
      CreatePictureBox(hwnd, kIdPicture1, {0, 0, 281, 57}, static_cast<HBITMAP>(r.banner.get()));
  HWND label3 = Label(hwnd, kAckLabel3, {16, 72, 265, 17}, kIdLabel3, r.bold.get());
  HWND label4 = Label(hwnd, kAckLabel4, {16, 88, 241, 25}, kIdLabel4, r.regular.get());
  HWND label6 = Label(hwnd, kAckLabel6, {16, 128, 233, 97}, kIdLabel6, r.bold.get());
  HWND label1 = Label(hwnd, kAckLabel1, {16, 232, 233, 17}, kIdLabel1, r.regular.get());
  // The link reports clicks but, being a label, never takes the focus.
  s.label2 = Label(hwnd, kAckLabel2, {16, 248, 233, 17}, kIdLabel2, r.underlined.get(), SS_NOTIFY);
  s.btnOK = Button(hwnd, kAckBtnOK, {16, 280, 105, 25}, kIdBtnOK, r.regular.get());
  HWND btnCANCEL = Button(hwnd, kAckBtnCANCEL, {160, 280, 105, 25}, kIdBtnCANCEL, r.regular.get());
  const HWND tabOrder[] = {s.btnOK, label3, label4, picture1, label6, label1, s.label2, btnCANCEL};
  SetTabOrder(tabOrder, 8);
}

void OnCommand(AckState& s, WORD id, WORD code) {
  if (id == kIdBtnOK && code == BN_CLICKED) s.ended = true;
  if (id == kIdBtnCANCEL && code == BN_CLICKED) {
    s.outcome = AckOutcome::Declined;
    s.ended = true;
  }
  if (id == kIdLabel2 && code == STN_CLICKED) ShowAgreement(s.instance);
}

LRESULT Handle(AckState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(s, LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == s.label2) {
        return StaticColours(wp, COLOR_ACTIVECAPTION, COLOR_BTNFACE);
      }
      break;
    default:
      break;
  }
  // A close request unloads the dialog just as "I &Accept" does.
  return DefFrameProc(hwnd, msg, wp, lp, s);
}

}  // namespace

AckOutcome ShowAcknowledge(HINSTANCE instance) {
  AckState s;
  s.instance = instance;
  AckResources r;
  r.banner.reset(LoadImageW(instance, MAKEINTRESOURCEW(IDB_BANNER_ACK), IMAGE_BITMAP, 0, 0,
                            LR_CREATEDIBSECTION));
  UniqueWindow frame(CreateFrame(instance, kClassName, WindowProcOf<AckState, Handle>, kAckCaption,
                                 281, 318, IDI_APP, &s));
  if (!frame) return AckOutcome::NotShown;
  CreateControls(s, r, frame.get());
  RunModal(frame, s.btnOK, s);
  return s.outcome;
}

}  // namespace qc::win
