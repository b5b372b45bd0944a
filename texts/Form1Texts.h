// The main window's caption and the texts of the cleaning run's boxes, in one place for
// the program, its end-to-end tests and the demonstration.
#pragma once

namespace qc {

inline constexpr char kMainCaption[] = "Quenzor v5.x Client Cache Cleaner";

inline constexpr char kAcknowledgeText[] =
    "All Quenzor and Internet Explorer applications will be closed.\r\n"
    "Are you sure you wish to continue?";
inline constexpr char kContinueText[] =
    "Quenzor and Internet Explorer processes Terminated.\r\nPress OK to continue.";
inline constexpr char kDoneInteractiveText[] = "Process Complete.  Press OK to view the results.";
inline constexpr char kDoneSilentText[] = "Process Complete.  Would you like to view the results?";
inline constexpr char kNothingDoneText[] = "Nothing Done.";
// "&Clean PC" pressed while another instance is running a clean-up on this PC.
inline constexpr char kBusyText[] =
    "Another clean-up is running on this PC. Try again when it has finished.";

}  // namespace qc
