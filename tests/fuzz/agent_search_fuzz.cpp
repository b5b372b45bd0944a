// libFuzzer target: the streamed name search against a whole-text search. The first
// bytes of the input choose the block size, the read sizes and the needle; the rest is
// the file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/AgentSearch.h"

namespace {

class SlicedStream final : public qc::IByteStream {
 public:
  SlicedStream(std::string data, std::size_t slice) : data_(std::move(data)), slice_(slice) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min({size, slice_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string data_;
  std::size_t slice_;
  std::size_t pos_ = 0;
};

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t block = 1 + data[0] % 32;
  const std::size_t slice = 1 + data[1] % 64;
  const std::size_t needleLength = data[2] % 8;
  const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  // A short needle taken from the input itself, or the agent's own name.
  const bool ownNeedle = needleLength > 0 && needleLength <= rest.size();
  const std::string needle =
      ownNeedle ? rest.substr(0, needleLength) : std::string(qc::kAgentImageName);
  const std::string text = ownNeedle ? rest.substr(needleLength) : rest;
  SlicedStream stream(text, slice);
  const std::optional<bool> found = qc::AgentSearch(block, needle).Scan(stream);
  const bool expected = Upper(text).find(Upper(needle)) != std::string::npos;
  if (!found || *found != expected) std::abort();
  return 0;
}
