// The main window Form1 in raw Win32: it shows what the logic decides and forwards the
// user's clicks to it.
#pragma once

#include <windows.h>

#include <functional>

#include "app/Form1.h"
#include "platform/ResultsList.h"
#include "platform/Ui.h"
#include "platform/win32/Owners.h"
#include "platform/win32/WindowKit_win32.h"

namespace qc::win {

class Form1Window final : public IUi, public IResultsList {
 public:
  explicit Form1Window(HINSTANCE instance) : instance_(instance) {}
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  // Creates the window and its controls, not yet visible.
  bool Create();
  void AttachLogic(Form1* logic) { logic_ = logic; }
  // Sets what shows the acknowledgement dialog at an interactive start.
  void SetAcknowledge(std::function<AckOutcome()> show) { acknowledge_ = std::move(show); }
  // Shows the window centred with the focus on "E&xit"; does nothing if it is gone.
  void Show();
  // Runs until the main window is unloaded.
  void RunMessageLoop();

  // IUi
  MsgAnswer MsgBox(std::string_view text, std::string_view title, MsgButtons buttons) override;
  void EnableCleanButton(bool enabled) override;
  AckOutcome ShowAcknowledgeModal() override;
  void UnloadMainWindow() override;
  bool IsDesktopVisible() override;
  [[noreturn]] void EndProgram(int exitCode) override;

  // IResultsList
  void AddItem(std::string_view line) override;

 private:
  static LRESULT Handle(Form1Window& self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void OnCommand(WORD id, WORD code);

  HINSTANCE instance_;
  HWND btnClean_ = nullptr;
  HWND listWork_ = nullptr;
  HWND btnExit_ = nullptr;
  UniqueGdi font_;
  UniqueGdi banner_;
  WindowState state_;
  Form1* logic_ = nullptr;
  std::function<AckOutcome()> acknowledge_;
  // Last, so it goes first, while the fonts, the banner and the state its last messages
  // use are still there.
  UniqueWindow hwnd_;
};

}  // namespace qc::win
