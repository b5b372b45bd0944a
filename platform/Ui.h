// User-interface services the start-up and the cleaning run need from the windowing system.
#pragma once

#include <string_view>

namespace qc {

enum class MsgButtons : unsigned { Ok = 0, YesNo = 4 };              // MB_OK, MB_YESNO
enum class MsgAnswer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };  // IDOK .. IDNO
// How the acknowledgement dialog ended.
enum class AckOutcome { Accepted, Declined, NotShown };

class IUi {
 public:
  virtual ~IUi() = default;
  // Modal box owned by the main window, no icon, first button default.
  virtual MsgAnswer MsgBox(std::string_view text, std::string_view title, MsgButtons buttons) = 0;
  virtual void EnableCleanButton(bool enabled) = 0;
  // Shows the acknowledgement dialog modally and returns how it ended: accepted,
  // declined, or not shown at all because it could not be created.
  virtual AckOutcome ShowAcknowledgeModal() = 0;
  // Unloads the main window; the message loop then ends the program.
  virtual void UnloadMainWindow() = 0;
  // False when nobody can see or answer a window (a service's window station).
  virtual bool IsDesktopVisible() = 0;
  // Ends the process at once: no further step, no window, no handler.
  [[noreturn]] virtual void EndProgram(int exitCode) = 0;
};

}  // namespace qc
