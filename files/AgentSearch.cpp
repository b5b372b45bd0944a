// Streaming search for the agent's image name.
#include "files/AgentSearch.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/AsciiCase.h"

namespace qc {

AgentSearch::AgentSearch(std::size_t blockSize, std::string_view needle)
    : blockSize_(std::max<std::size_t>(blockSize, 1)) {
  for (char c : needle) needle_.push_back(AsciiUpper(c));
  const std::size_t carry = needle_.empty() ? 0 : needle_.size() - 1;
  buffer_.resize(carry + blockSize_);
}

std::optional<bool> AgentSearch::Scan(IByteStream& stream) {
  if (needle_.empty()) return true;
  const std::size_t carryMax = needle_.size() - 1;
  std::size_t held = 0;  // bytes at the front of buffer_ carried over from earlier blocks
  for (;;) {
    const std::optional<std::size_t> got = stream.Read(buffer_.data() + held, blockSize_);
    if (!got) return std::nullopt;
    if (*got == 0) return false;
    const std::size_t n = std::min(*got, blockSize_);  // never trust a stream past its size
    char* fresh = buffer_.data() + held;
    std::transform(fresh, fresh + n, fresh, AsciiUpper);
    const std::size_t total = held + n;
    char* end = buffer_.data() + total;
    // string_view's find looks for the first letter with memchr, several times faster
    // than a byte-by-byte std::search on data where that letter is rare.
    const std::string_view window(buffer_.data(), total);
    if (window.find(std::string_view(needle_.data(), needle_.size())) != std::string_view::npos) {
      return true;
    }
    held = std::min(total, carryMax);
    std::memmove(buffer_.data(), end - held, held);
  }
}

}  // namespace qc
