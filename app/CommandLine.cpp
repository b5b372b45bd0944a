// Command-line handling of the start-up.
#include "app/CommandLine.h"

#include "platform/AsciiCase.h"

namespace qc {

std::string ArgumentTextFromCommandLine(std::string_view cmd) {
  std::size_t i = 0;
  // The program path ends at the closing quote when quoted, else at the first blank;
  // this is how Windows itself splits off argv[0].
  if (i < cmd.size() && cmd[i] == '"') {
    ++i;
    while (i < cmd.size() && cmd[i] != '"') ++i;
    if (i < cmd.size()) ++i;
  }
  while (i < cmd.size() && cmd[i] != ' ' && cmd[i] != '\t') ++i;
  while (i < cmd.size() && (cmd[i] == ' ' || cmd[i] == '\t')) ++i;
  return std::string(cmd.substr(i));
}

bool SelectsSilentMode(std::string_view argumentText) {
  const std::string lower = ToLowerAscii(argumentText);
  return lower == "silent" || lower == "/s";
}

}  // namespace qc
