// The acknowledgement dialog frmAcknowledge: what the utility does, that it is not
// supported, the link to the licence terms, "I &Accept" and "I Do Not Accept".
#pragma once

#include <windows.h>

#include "platform/Ui.h"

namespace qc::win {

// Shows the dialog modally without an owner and returns once it is unloaded: Accepted
// after "I &Accept" or a close request, Declined after "I Do Not Accept", NotShown when
// it could not be created at all.
AckOutcome ShowAcknowledge(HINSTANCE instance);

}  // namespace qc::win
