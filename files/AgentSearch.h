// Looks for the agent's image name in a file's bytes, streamed in fixed-size blocks so
// that a huge file costs no more memory than a small one.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qc {

inline constexpr std::string_view kAgentImageName = "KVAGENT.EXE";
inline constexpr std::size_t kAgentSearchBlockSize = 64 * 1024;

// Byte-wise, ASCII-only case-insensitive search. NUL is an ordinary byte, so a name
// stored as UTF-16 (a NUL after every letter) does not match. The last
// needle-length-minus-one bytes of each block are carried into the next one, so a name
// split across two reads is still found.
class AgentSearch {
 public:
  explicit AgentSearch(std::size_t blockSize = kAgentSearchBlockSize,
                       std::string_view needle = kAgentImageName);

  // Reads the stream until the name is found or the stream ends. True when found,
  // false at the end without it, nullopt when a read failed before it was found.
  std::optional<bool> Scan(IByteStream& stream);

 private:
  std::vector<char> needle_;  // upper-cased
  std::vector<char> buffer_;  // carried tail followed by one block
  std::size_t blockSize_;
};

}  // namespace qc
