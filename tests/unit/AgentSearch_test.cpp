// The streamed search for the agent's image name: letter case, NUL bytes, UTF-16 copies,
// names split across blocks at every offset, short reads, read errors, bounded reads.
#include "files/AgentSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace qc::test {
namespace {

using namespace std::string_literals;

// Hands out the data in pieces of at most maxChunk bytes, fails from failAt on, and
// remembers the largest request, which bounds the searcher's buffer.
class ChunkedStream final : public IByteStream {
 public:
  explicit ChunkedStream(std::string data, std::size_t maxChunk = SIZE_MAX,
                         std::size_t failAt = SIZE_MAX)
      : data_(std::move(data)), maxChunk_(maxChunk), failAt_(failAt) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    largestRequest = std::max(largestRequest, size);
    if (pos_ >= failAt_) return std::nullopt;
    const std::size_t n = std::min({size, maxChunk_, data_.size() - pos_, failAt_ - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  std::size_t largestRequest = 0;

 private:
  std::string data_;
  std::size_t pos_ = 0;
  std::size_t maxChunk_;
  std::size_t failAt_;
};

// A long run of filler generated on the fly, ending with the given tail.
class GeneratedStream final : public IByteStream {
 public:
  GeneratedStream(std::size_t fillerBytes, std::string tail)
      : filler_(fillerBytes), tail_(std::move(tail)) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    largestRequest = std::max(largestRequest, size);
    std::size_t n = 0;
    for (; n < size && pos_ < filler_ + tail_.size(); ++n, ++pos_) {
      buffer[n] = pos_ < filler_ ? char('A' + pos_ % 7) : tail_[pos_ - filler_];
    }
    return n;
  }
  std::size_t largestRequest = 0;

 private:
  std::size_t filler_;
  std::string tail_;
  std::size_t pos_ = 0;
};

std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

TEST(AgentSearch, JudgesContentsAsSingleByteText) {
  const struct {
    std::string content;
    bool found;
  } cases[] = {
      {"", false},
      {"KVAGENT.EXE", true},
      {"kvagent.exe", true},
      {"C:\\Program Files\\Norvane\\KvAgent.Exe", true},
      {"L\0\0\0\x01\x14\x02\0C:\\APP\\KVAGENT.EXE\0\0"s, true},
      {Utf16("C:\\APP\\KVAGENT.EXE"), false},
      {"KVAGENT\0EXE"s, false},
      {"KVAGENT.EX", false},
      {"VAGENT.EXE", false},
      {"KVAGENT EXE", false},
      {"KVAGENT.KVAGENT.EXE", true},
      {"KKVAGENT.EXEE", true},
      {"KVAGENT.EX\xC9", false},  // Latin-1 capital E acute is not an ASCII E
      {"\xEB\xF6KVAGENT.exe\xFF", true},
  };
  for (const auto& c : cases) {
    ChunkedStream stream(c.content);
    EXPECT_EQ(AgentSearch().Scan(stream), std::optional<bool>(c.found))
        << "content of " << c.content.size() << " bytes";
  }
}

TEST(AgentSearch, FindsTheNameAcrossEveryBlockBoundary) {
  const std::string name = "kvAgent.EXE";
  for (std::size_t block : {1u, 2u, 3u, 5u, 10u, 11u, 12u, 16u}) {
    for (std::size_t offset = 0; offset <= 3 * block + name.size(); ++offset) {
      const std::string lead(offset, 'x');
      ChunkedStream hit(lead + name + "yz");
      EXPECT_EQ(AgentSearch(block).Scan(hit), std::optional<bool>(true))
          << "block " << block << " offset " << offset;
      EXPECT_LE(hit.largestRequest, block);
      // The same layout with one letter changed must not match through stale carry bytes.
      ChunkedStream miss(lead + "kvAgent.EXF" + "yz");
      EXPECT_EQ(AgentSearch(block).Scan(miss), std::optional<bool>(false))
          << "block " << block << " offset " << offset;
    }
  }
}

TEST(AgentSearch, NameEndingOneByteIntoTheNextBlock) {
  // "KVAGENT.EX" ends the first block; a following "E" completes it, a "X" does not.
  for (std::size_t block : {10u, 11u, 20u}) {
    ChunkedStream complete(std::string(block - 10, '-') + "KVAGENT.EX" + "E");
    EXPECT_EQ(AgentSearch(block).Scan(complete), std::optional<bool>(true)) << block;
    ChunkedStream broken(std::string(block - 10, '-') + "KVAGENT.EX" + "X" + "E");
    EXPECT_EQ(AgentSearch(block).Scan(broken), std::optional<bool>(false)) << block;
  }
}

TEST(AgentSearch, ShortReadsFromTheStreamStillFindTheName) {
  for (std::size_t chunk : {1u, 4u, 7u}) {
    ChunkedStream stream(std::string(100, '.') + "KVAGENT.EXE", chunk);
    EXPECT_EQ(AgentSearch(16).Scan(stream), std::optional<bool>(true)) << chunk;
  }
}

TEST(AgentSearch, ReadErrorCountsOnlyBeforeTheName) {
  const std::string data = std::string(40, '.') + "KVAGENT.EXE" + std::string(40, '.');
  ChunkedStream failsEarly(data, 8, 32);
  EXPECT_EQ(AgentSearch(8).Scan(failsEarly), std::nullopt);
  ChunkedStream failsLate(data, 8, 64);
  EXPECT_EQ(AgentSearch(8).Scan(failsLate), std::optional<bool>(true));
}

TEST(AgentSearch, HugeFileIsReadInBoundedBlocks) {
  GeneratedStream stream(48u << 20, "\0kvagent.exe"s);
  EXPECT_EQ(AgentSearch().Scan(stream), std::optional<bool>(true));
  EXPECT_EQ(stream.largestRequest, kAgentSearchBlockSize);
  GeneratedStream without(8u << 20, "kvagent.ex");
  EXPECT_EQ(AgentSearch().Scan(without), std::optional<bool>(false));
}

}  // namespace
}  // namespace qc::test
