// The licence terms shown by the terms viewer, kept as a table of blocks so the line
// breaks between them stay exact (CR LF, or a blank line, or nothing after the last).
#include "dialogs/TermsText.h"

#include <cstddef>

namespace qc {
namespace {

enum class After { Line, BlankLine, Nothing };

struct Block {
  const char* text;
  After after;
};

constexpr Block kBlocks[] = {
    {"NORVANE SOFTWARE CORPORATION", After::Line},
    {"END-USER LICENSE AGREEMENT", After::Line},
    {"Brevikit Terms of Use for the Quenzor 5.x Client Cleaner Utility v1.12", After::Line},
    {"---------------------------------------------------------------------------------------"
     "------------------------------------------",
     After::Line},
    {"IMPORTANT - READ CAREFULLY: This License Agreement (\"Agreement\") is a legal agreement "
     "between you (either an individual or a single entity) and Norvane Software Corporation "
     "(\"Norvane\") for the Quenzor 5.x Client Cleaner Utility, which includes the computer "
     "program and any electronic documentation supplied with it (together, the \"Software\"). "
     "The Software is one of the Brevikit, a group of free utilities that Norvane offers as a "
     "convenience to the users of Kelvora Quenzor products. It also covers any update or "
     "correction of the Software that Norvane may supply, unless that update comes with terms of "
     "its own.",
     After::BlankLine},
    {"By clicking \"I Accept\", or by copying, running or otherwise using the Software, you "
     "agree to be bound by the terms of this Agreement. If you do not agree to the terms of "
     "this Agreement, click \"I Do Not Accept\"; the Software then closes without making any "
     "change to your computer, and you may not use it. If you accept these terms on behalf of an "
     "organisation, you confirm that you have the authority to bind it, and \"you\" then means "
     "that organisation.",
     After::BlankLine},
    {"The Software removes the programs, registry entries, files, folders and shortcuts of the "
     "Kelvora Quenzor client from the computer on which it is run. Before it starts, it closes "
     "every running copy of Internet Explorer and of the Quenzor client programs. Nothing that "
     "the Software removes can be restored by the Software. Save your work and keep a copy of "
     "any data that you wish to keep before you use it. The Software asks for your confirmation "
     "before it closes any program or removes anything, except when it is started in silent mode "
     "from the command line, in which case it starts its work at once."
     " It reports each of its actions as one line in its window.",
     After::BlankLine},
    {"1. GRANT OF LICENSE.", After::BlankLine},
    {"You need not register the Software, and the license below does not expire, except as "
     "described in section 4. Subject to the terms of this Agreement, Norvane grants "
     "you a personal, non-exclusive, non-transferable and royalty-free license to use the "
     "Software, free of charge, as follows:",
     After::Line},
    {"(i) you may run the Software on any Managed Computer, for the sole purpose of removing "
     "the Kelvora Quenzor client from that computer;",
     After::Line},
    {"(ii) you may make as many copies of the Software as that purpose requires, provided that "
     "each copy is complete and unmodified and is accompanied by this Agreement; and",
     After::Line},
    {"(iii) you may pass copies of the Software to the administrators of Managed Computers "
     "within your organisation, but not to third parties, and not for a fee or as part of any "
     "other product or service.",
     After::Line},
    {"       a) You may not reverse engineer, decompile or disassemble the Software, except to "
     "the extent that applicable law expressly permits it despite this limitation.",
     After::Line},
    {"       b) You may not modify the Software, merge it into another program, or create "
     "derivative works based on it.",
     After::Line},
    {"       c) You may not rent, lease, lend, sell or sublicense the Software, or use it to "
     "provide a commercial service to third parties.",
     After::Line},
    {"       d) You may not run the Software on any computer other than a Managed Computer, or "
     "use it to remove software from a computer without the consent of its owner.",
     After::Line},
    {"       e) You may not remove or alter any notice of copyright, trademark or other "
     "proprietary right that appears in or on the Software.",
     After::Line},
    {"In this Agreement, a \"Managed Computer\" is a computer that you own, or that its owner "
     "has authorised you to administer, and on which a Kelvora Quenzor client is or has been "
     "installed. A computer that you administer under a contract with a third party is a Managed "
     "Computer only while that contract lasts.",
     After::BlankLine},
    {"Norvane reserves all rights not expressly granted to you in this Agreement. The Software "
     "is licensed, not sold, and this Agreement gives you no right to any Norvane or Kelvora "
     "trademark, service mark or logo. Any use of the Software beyond the conditions and "
     "limitations of this section ends your license at once. The Software makes no network "
     "connection and sends no information about you or your computer to Norvane or to anyone else."
     " Norvane and its suppliers own all title and intellectual property rights in and to the "
     "Software.",
     After::BlankLine},
    {"2. NO SUPPORT.", After::BlankLine},
    {"The Software is one of the Brevikit and is not part of Kelvora Quenzor Software. Norvane "
     "is under no obligation to provide support, maintenance, updates or upgrades for the "
     "Software, and Norvane Technical Support is unable to answer questions about it. Any "
     "help that Norvane chooses to give from time to time is given at its sole discretion and "
     "without charge; it does not extend the terms of this Agreement and creates no "
     "obligation to give further help. Norvane does not answer requests for help with the Software "
     "by telephone, by electronic mail or in its support forums, and it does not accept reports of "
     "faults in the Software as support cases. Questions about Kelvora Quenzor products themselves "
     "remain subject to the support terms of those products."
     " The lines that the Software shows in its window are its only report; Norvane keeps no "
     "record of them.",
     After::BlankLine},
    {"3. YOUR RESPONSIBILITIES.", After::BlankLine},
    {"You alone decide whether and when to run the Software, and you are responsible for "
     "making and keeping backup copies of the data, settings and programs of every computer "
     "on which you run it. The Software closes programs without asking them to save their "
     "work, and it deletes folders with everything they contain, including files that you "
     "may have placed inside the folders of the Kelvora Quenzor client. Before you run the "
     "Software, close your other programs and make sure that none of those folders holds "
     "anything that you wish to keep. If you run the Software in silent mode, for example from a "
     "logon script or a software distribution tool, it asks for no confirmation, and you are "
     "responsible for choosing the computers on which it runs and the time at which it runs there. "
     "You are also responsible for informing the users of those computers before their programs "
     "are closed.",
     After::BlankLine},
    {"4. TERMINATION.", After::BlankLine},
    {"This Agreement is effective until terminated. You may terminate it at any time by "
     "destroying all copies of the Software in your possession. It terminates automatically, "
     "without notice from Norvane, if you fail to comply with any of its terms. On "
     "termination you must stop using the Software and destroy all copies of it. Sections 5, "
     "6, 7 and 8 survive the termination of this Agreement. Norvane may stop distributing the "
     "Software at any time without notice; doing so does not terminate the license for copies that "
     "you already hold."
     " Termination does not undo or otherwise affect anything that the Software has already done.",
     After::BlankLine},
    {"5. EXPORT RESTRICTIONS.", After::BlankLine},
    {"You acknowledge that the Software may be subject to export control laws and "
     "regulations. You agree to comply with all export and re-export restrictions that apply "
     "to the Software, and not to export or re-export it, directly or indirectly, to any "
     "country, entity or person to which such laws or regulations forbid its export. You represent "
     "that you are not located in, under the control of, or a national or resident of any such "
     "country, and that you are not named on any list of persons with whom such laws forbid "
     "dealings.",
     After::BlankLine},
    {"6. DISCLAIMER OF WARRANTIES AND LIMITATION OF LIABILITY.", After::BlankLine},
    {"The Software is provided free of charge so that you can remove the Kelvora Quenzor "
     "client yourself. Norvane has taken reasonable care in preparing it, but it cannot "
     "foresee every configuration of the computers on which the Software will be run, and you "
     "use the Software entirely at your own risk. Because the Software deletes data permanently, "
     "you should try it on a single computer before you run it on others, and keep a current "
     "backup of every computer on which you run it."
     " Some of the folders that the Software deletes may hold files that other programs have "
     "placed there, and the Software does not examine them before it deletes them.",
     After::BlankLine},
    {"TO THE MAXIMUM EXTENT PERMITTED BY APPLICABLE LAW, THE SOFTWARE IS PROVIDED \"AS IS\" AND "
     "WITH ALL FAULTS, WITHOUT WARRANTY OF ANY KIND, EXPRESS, IMPLIED OR STATUTORY, INCLUDING "
     "BUT NOT LIMITED TO ANY IMPLIED WARRANTY OF MERCHANTABILITY, FITNESS FOR A PARTICULAR "
     "PURPOSE, TITLE OR NON-INFRINGEMENT. NORVANE DOES NOT WARRANT THAT THE SOFTWARE WILL MEET "
     "YOUR REQUIREMENTS, THAT IT WILL OPERATE WITHOUT INTERRUPTION OR ERROR, OR THAT IT WILL "
     "REMOVE EVERY COMPONENT OF THE KELVORA QUENZOR CLIENT FROM YOUR COMPUTER. NO ORAL OR WRITTEN "
     "INFORMATION OR ADVICE GIVEN BY NORVANE OR ITS REPRESENTATIVES SHALL CREATE A WARRANTY."
     " SOME JURISDICTIONS DO NOT ALLOW THE EXCLUSION OF IMPLIED WARRANTIES, SO THE ABOVE EXCLUSION "
     "MAY NOT APPLY TO YOU.",
     After::BlankLine},
    {"IN NO EVENT SHALL NORVANE OR ITS SUPPLIERS BE LIABLE FOR ANY DIRECT, INDIRECT, SPECIAL, "
     "INCIDENTAL OR CONSEQUENTIAL DAMAGES WHATSOEVER, INCLUDING BUT NOT LIMITED TO DAMAGES FOR "
     "LOSS OF DATA, LOSS OF PROFITS, BUSINESS INTERRUPTION OR ANY OTHER PECUNIARY LOSS, ARISING "
     "OUT OF THE USE OF OR THE INABILITY TO USE THE SOFTWARE, EVEN IF NORVANE HAS BEEN ADVISED "
     "OF THE POSSIBILITY OF SUCH DAMAGES. BECAUSE SOME JURISDICTIONS DO NOT ALLOW THE "
     "EXCLUSION OR LIMITATION OF LIABILITY FOR CONSEQUENTIAL OR INCIDENTAL DAMAGES, THE ABOVE "
     "LIMITATION MAY NOT APPLY TO YOU; IN THOSE JURISDICTIONS THE LIABILITY OF NORVANE IS "
     "LIMITED TO THE GREATEST EXTENT PERMITTED BY LAW. IN ANY CASE, THE ENTIRE LIABILITY OF "
     "NORVANE UNDER ANY PROVISION OF THIS AGREEMENT SHALL BE LIMITED TO FIVE U.S. DOLLARS "
     "(US$5.00).",
     After::BlankLine},
    {"7. GOVERNING LAW.", After::BlankLine},
    {"This Agreement is governed by the laws of the jurisdiction in which Norvane has its "
     "registered office, without regard to its rules on conflicts of law. The United Nations "
     "Convention on Contracts for the International Sale of Goods does not apply to this "
     "Agreement. If a court holds any provision of this Agreement to be unenforceable, that "
     "provision shall be enforced to the maximum extent permissible and the other provisions "
     "shall remain in full force and effect. Any dispute arising out of or in connection with this "
     "Agreement shall be submitted to the exclusive jurisdiction of the courts of that place, and "
     "you consent to the personal jurisdiction of those courts.",
     After::BlankLine},
    {"8. ENTIRE AGREEMENT.", After::BlankLine},
    {"This Agreement is the entire agreement between you and Norvane relating to the Software "
     "and supersedes all prior or contemporaneous oral or written communications, proposals "
     "and representations with respect to the Software. No amendment to or waiver of any term "
     "of this Agreement is binding unless it is made in writing and signed by an authorised "
     "representative of Norvane. Norvane Technical Support is unable to answer questions "
     "about this Agreement or about the Brevikit; if you have any, please ask the "
     "administrator of your computer. Norvane may revise this Agreement for later versions of the "
     "Software; the terms that accompany a version govern your use of that version.",
     After::Nothing},
};

constexpr std::size_t kBlockCount = sizeof(kBlocks) / sizeof(kBlocks[0]);
// Part two starts with the heading of section 4 (block 24).
constexpr std::size_t kPartTwoFirst = 23;
static_assert(kBlockCount == 35, "the terms have 35 blocks");

std::string Join(std::size_t first, std::size_t end) {
  std::string out;
  for (std::size_t i = first; i < end; ++i) {
    out += kBlocks[i].text;
    if (kBlocks[i].after != After::Nothing) out += "\r\n";
    if (kBlocks[i].after == After::BlankLine) out += "\r\n";
  }
  return out;
}

}  // namespace

std::string TermsPartOne() { return Join(0, kPartTwoFirst); }

std::string TermsPartTwo() { return Join(kPartTwoFirst, kBlockCount); }

std::string TermsText() { return TermsPartOne() + TermsPartTwo(); }

}  // namespace qc
