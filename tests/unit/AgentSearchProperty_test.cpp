// Seeded random checks of the streamed name search against a naive whole-file search:
// random bytes, random needles with repeated letters, tiny blocks, short reads and read
// errors, so a name split at any block boundary or a skip that jumps too far shows up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "files/AgentSearch.h"

namespace qc::test {
namespace {

// Written apart from the code under test: whole text upper-cased at once, then found.
bool NaiveContains(const std::string& text, const std::string& needle) {
  std::string upperText = text, upperNeedle = needle;
  for (char& c : upperText) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  for (char& c : upperNeedle) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  return upperText.find(upperNeedle) != std::string::npos;
}

// Hands out the data in reads of random length (1 to the size asked) and fails once
// failAt bytes have been handed out. The copy goes through a buffer of exactly the size
// asked, so ASan sees any write the searcher would not have room for.
class RandomReads final : public IByteStream {
 public:
  RandomReads(std::string data, std::mt19937& rng, std::size_t failAt = SIZE_MAX)
      : data_(std::move(data)), rng_(rng), failAt_(failAt) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    if (pos_ >= failAt_) return std::nullopt;
    const std::size_t left = std::min(data_.size(), failAt_) - pos_;
    std::size_t n = std::min(size, left);
    if (n > 1 && rng_() % 2 == 0) n = 1 + rng_() % n;
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string data_;
  std::mt19937& rng_;
  std::size_t failAt_;
  std::size_t pos_ = 0;
};

char RandomCase(char c, std::mt19937& rng) {
  if (rng() % 2 == 0) return c;
  if (c >= 'A' && c <= 'Z') return char(c + 32);
  if (c >= 'a' && c <= 'z') return char(c - 32);
  return c;
}

// Bytes mostly from the needle's own letters in either case, so partial matches abound,
// with NUL, high bytes and the letters just outside A-Z and a-z ('@', '[', '`', '{').
std::string RandomText(const std::string& needle, std::size_t size, std::mt19937& rng) {
  static const char kOdd[] = {'\0', '\xE9', '\xCB', '@', '[', '`', '{', '\n', '.'};
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    if (rng() % 5 == 0) {
      text += kOdd[rng() % sizeof(kOdd)];
    } else {
      text += RandomCase(needle[rng() % needle.size()], rng);
    }
  }
  // Now and then plant the whole needle, or all of it but one letter.
  if (rng() % 3 == 0 && text.size() >= needle.size()) {
    const std::size_t at = rng() % (text.size() - needle.size() + 1);
    const std::size_t drop = rng() % 2 ? needle.size() : rng() % needle.size();
    for (std::size_t i = 0; i < needle.size(); ++i) {
      text[at + i] = i == drop ? '#' : RandomCase(needle[i], rng);
    }
  }
  return text;
}

std::string RandomNeedle(std::mt19937& rng) {
  // Short alphabets give needles such as "AAB" or "ABAB" whose own prefixes repeat.
  static const std::string kLetters = "ABa.b";
  const std::size_t length = 1 + rng() % 6;
  std::string needle;
  for (std::size_t i = 0; i < length; ++i) needle += kLetters[rng() % kLetters.size()];
  return needle;
}

TEST(AgentSearchProperty, AgreesWithWholeTextSearchOnRandomBytes) {
  std::mt19937 rng(20240901);
  for (int round = 0; round < 6000; ++round) {
    const std::string needle = round % 3 == 0 ? std::string(kAgentImageName) : RandomNeedle(rng);
    const std::string text = RandomText(needle, rng() % 80, rng);
    const std::size_t block = 1 + rng() % 17;
    RandomReads stream(text, rng);
    const std::optional<bool> found = AgentSearch(block, needle).Scan(stream);
    ASSERT_EQ(found, std::optional<bool>(NaiveContains(text, needle)))
        << "round " << round << " needle [" << needle << "] block " << block << " text [" << text
        << "]";
  }
}

TEST(AgentSearchProperty, FindsTheNameAtEveryOffsetAroundEveryBlockBoundary) {
  std::mt19937 rng(77);
  const std::string name(kAgentImageName);
  for (std::size_t block = 1; block <= 24; ++block) {
    for (std::size_t at = 0; at <= 3 * block + name.size(); ++at) {
      std::string text = RandomText("XYZ", at, rng);
      for (char c : name) text += RandomCase(c, rng);
      text += RandomText("XYZ", rng() % (2 * block), rng);
      RandomReads whole(text, rng);
      EXPECT_EQ(AgentSearch(block).Scan(whole), std::optional<bool>(true))
          << "block " << block << " at " << at;
      // The same text with the name's last letter spoilt must not match.
      text[at + name.size() - 1] = 'F';
      RandomReads spoilt(text, rng);
      EXPECT_EQ(AgentSearch(block).Scan(spoilt), std::optional<bool>(false))
          << "block " << block << " at " << at;
    }
  }
}

TEST(AgentSearchProperty, ReadErrorGivesNoAnswerUnlessTheNameCameBeforeIt) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 3000; ++round) {
    const std::string needle = round % 2 == 0 ? std::string(kAgentImageName) : RandomNeedle(rng);
    const std::string text = RandomText(needle, 1 + rng() % 60, rng);
    const std::size_t failAt = rng() % (text.size() + 1);
    RandomReads stream(text, rng, failAt);
    const std::optional<bool> found = AgentSearch(1 + rng() % 9, needle).Scan(stream);
    const bool before = NaiveContains(text.substr(0, failAt), needle);
    ASSERT_EQ(found, before ? std::optional<bool>(true) : std::nullopt)
        << "round " << round << " needle [" << needle << "] fail at " << failAt;
  }
}

TEST(AgentSearchProperty, ReusedSearcherForgetsTheLastFile) {
  // The tail carried between blocks must not leak from one file into the next.
  std::mt19937 rng(5150);
  const std::string name(kAgentImageName);
  for (int round = 0; round < 500; ++round) {
    AgentSearch search(1 + rng() % 12);
    const std::size_t cut = 1 + rng() % (name.size() - 1);
    RandomReads first("xx" + name.substr(0, cut), rng);
    RandomReads second(name.substr(cut) + "yy", rng);
    ASSERT_EQ(search.Scan(first), std::optional<bool>(false)) << round;
    ASSERT_EQ(search.Scan(second), std::optional<bool>(false)) << round;
  }
}

}  // namespace
}  // namespace qc::test
