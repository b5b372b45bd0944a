// Command-line handling of the start-up.
#include "app/CommandLine.h"

#include "platform/AsciiCase.h"

namespace qc {

std::string ArgumentTextFromCommandLine(std::string_view cmd) {
  std::size_t i = 0;
  // The program path ends at the closing quote when quoted, else at the first blank,
  // as the C runtime's WinMain start-up splits it; then blanks (any control character
  // or space) are skipped.
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (i < cmd.size() && cmd[i] == '"') {
    ++i;
    while (i < cmd.size() && cmd[i] != '"') ++i;
    if (i < cmd.size()) ++i;
  } else {
    while (i < cmd.size() && !blank(cmd[i])) ++i;
  }
  while (i < cmd.size() && blank(cmd[i])) ++i;
  return std::string(cmd.substr(i));
}

bool SelectsSilentMode(std::string_view argumentText) {
  const std::string lower = ToLowerAscii(argumentText);
  return lower == "silent" || lower == "/s";
}

}  // namespace qc
