// The terms viewer Agreement: the licence terms in a read-only text box and "&OK".
#pragma once

#include <windows.h>

namespace qc::win {

// Creates a fresh viewer, loads the terms into it and shows it modally without an
// owner; returns when "&OK" or the close button has unloaded it.
void ShowAgreement(HINSTANCE instance);

}  // namespace qc::win
