// The command-line argument text: the command line without the program's own path.
#pragma once

#include <string>
#include <string_view>

namespace qc {

class ICommandLine {
 public:
  virtual ~ICommandLine() = default;
  virtual std::string ArgumentText() = 0;
};

// The argument text of a full command line as the C runtime's WinMain start-up splits
// it: what follows the program's path (quoted or not) and the blanks (any control
// character or space) after it. Trailing blanks are kept; nothing else is trimmed.
inline std::string ArgumentTextFromCommandLine(std::string_view cmd) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t i = 0;
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

}  // namespace qc
