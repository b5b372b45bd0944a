// The fixed texts of the acknowledgement dialog and of the terms viewer: the labels,
// captions and the licence terms, which the viewer loads in two parts.
#pragma once

#include <string>

namespace qc {

// Acknowledgement dialog.
inline constexpr char kAckCaption[] = "Quenzor Brevikit";
inline constexpr char kAckLabel3[] = "Quenzor 5.x Client Cleaner Utility v1.12";
inline constexpr char kAckLabel4[] =
    "This utility is used for removing Kelvora Quenzor Client components from a PC.";
inline constexpr char kAckLabel6[] =
    "NOTE:  Norvane tries to ensure that our Brevikit work as they should, but they are not "
    "part of Kelvora Quenzor Software and are not supported by Norvane.  Therefore, Norvane "
    "Technical Support is unable to answer questions about Brevikit.";
// Label1 and Label2 read as one sentence on two lines; only Label2 is the link.
inline constexpr char kAckLabel1[] = "By clicking \"I Accept\" you agree to the";
inline constexpr char kAckLabel2[] = "License Agreement.";
inline constexpr char kAckBtnOK[] = "I &Accept";
inline constexpr char kAckBtnCANCEL[] = "I Do Not Accept";

// Terms viewer.
inline constexpr char kAgreementCaption[] = "The License Agreement";
inline constexpr char kAgreementCommand1[] = "&OK";

// Blocks 1 to 23 of the terms with their line breaks, ending with the blank line
// after block 23.
std::string TermsPartOne();
// Blocks 24 to 35; the last block has no line break after it.
std::string TermsPartTwo();
// Part one followed directly by part two.
std::string TermsText();

}  // namespace qc
