// The acknowledgement dialog frmAcknowledge: what the utility does, that it is not
// supported, the link to the licence terms, "I &Accept" and "I Do Not Accept".
#pragma once

#include <windows.h>

namespace qc::win {

// Shows the dialog modally without an owner. Returns once "I &Accept" or a close
// request has unloaded it; "I Do Not Accept" ends the process with exit code 0 and
// never returns. If the dialog cannot be created at all the process ends with exit
// code 1, since the start must not go on without the user's acceptance.
void ShowAcknowledge(HINSTANCE instance);

}  // namespace qc::win
