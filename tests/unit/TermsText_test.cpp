// The licence terms and the dialog texts: block structure, line breaks, headings,
// items, the separator, the length, and the two parts the viewer loads one after the other.
#include "dialogs/TermsText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace qc::test {
namespace {

enum class Gap { Line, BlankLine, Nothing, Other };

struct ParsedBlock {
  std::string text;
  Gap after;
};

// Splits the text at CR LF; each non-empty line is a block, and the empty lines after
// it tell which break follows it.
std::vector<ParsedBlock> ParseBlocks(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    lines.push_back(text.substr(start, pos - start));
  }
  lines.push_back(text.substr(start));
  std::vector<ParsedBlock> blocks;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::size_t empties = 0;
    while (i + 1 + empties < lines.size() && lines[i + 1 + empties].empty()) ++empties;
    const bool last = i + 1 + empties == lines.size();
    Gap gap = Gap::Other;
    if (last && empties == 0) gap = Gap::Nothing;
    if (!last && empties == 0) gap = Gap::Line;
    if (!last && empties == 1) gap = Gap::BlankLine;
    blocks.push_back({lines[i], gap});
  }
  return blocks;
}

bool HasLower(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::islower(c); });
}
bool HasUpper(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::isupper(c); });
}

// Block numbers (1-based) of the eight section headings.
constexpr int kHeadings[] = {8, 20, 22, 24, 26, 28, 32, 34};

Gap ExpectedGapAfter(int block) {
  if (block <= 4) return Gap::Line;
  if (block <= 8) return Gap::BlankLine;
  if (block <= 17) return Gap::Line;
  if (block <= 34) return Gap::BlankLine;
  return Gap::Nothing;
}

TEST(TermsText, HasThirtyFiveBlocksWithTheirBreaks) {
  const auto blocks = ParseBlocks(TermsText());
  ASSERT_EQ(blocks.size(), 35u);
  for (int n = 1; n <= 35; ++n) {
    EXPECT_EQ(blocks[n - 1].after, ExpectedGapAfter(n)) << "after block " << n;
  }
}

TEST(TermsText, BreaksAreCrLfOnlyAndTheTextIsPlainAscii) {
  const std::string text = TermsText();
  std::size_t crlf = 0;
  for (std::size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) ++crlf;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), static_cast<long>(crlf));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(crlf));
  for (unsigned char c : text) {
    EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7f)) << int(c);
  }
}

TEST(TermsText, EndsWithTheLastParagraphAndIsAboutElevenThousandCharacters) {
  const std::string text = TermsText();
  EXPECT_GE(text.size(), 10500u);
  EXPECT_LE(text.size(), 11500u);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '.');
  EXPECT_NE(text.find_last_not_of("\r\n "), std::string::npos);
  EXPECT_EQ(text.find_last_not_of("\r\n "), text.size() - 1);
}

TEST(TermsText, HeaderLinesAndSeparator) {
  const auto blocks = ParseBlocks(TermsText());
  ASSERT_EQ(blocks.size(), 35u);
  for (int n : {1, 2}) {
    EXPECT_TRUE(HasUpper(blocks[n - 1].text) && !HasLower(blocks[n - 1].text)) << n;
  }
  EXPECT_NE(blocks[0].text.find("NORVANE"), std::string::npos);
  EXPECT_NE(blocks[2].text.find("Quenzor"), std::string::npos);
  EXPECT_EQ(blocks[3].text, std::string(129, '-'));
}

TEST(TermsText, EightNumberedUpperCaseHeadings) {
  const auto blocks = ParseBlocks(TermsText());
  ASSERT_EQ(blocks.size(), 35u);
  int section = 0;
  for (int n : kHeadings) {
    const std::string& h = blocks[n - 1].text;
    ++section;
    EXPECT_EQ(h.rfind(std::to_string(section) + ". ", 0), 0u) << h;
    EXPECT_EQ(h.back(), '.') << h;
    EXPECT_TRUE(HasUpper(h) && !HasLower(h)) << h;
  }
  // No other block looks like a heading: short, upper case, numbered.
  int headingLike = 0;
  for (const auto& b : blocks) {
    if (b.text.size() < 80 && std::isdigit(static_cast<unsigned char>(b.text[0])) &&
        !HasLower(b.text) && b.text.back() == '.') {
      ++headingLike;
    }
  }
  EXPECT_EQ(headingLike, 8);
}

TEST(TermsText, ItemsOfSectionOne) {
  const auto blocks = ParseBlocks(TermsText());
  ASSERT_EQ(blocks.size(), 35u);
  const struct {
    int block;
    std::string prefix;
  } items[] = {
      {10, "(i) "},       {11, "(ii) "},      {12, "(iii) "},     {13, "       a) "},
      {14, "       b) "}, {15, "       c) "}, {16, "       d) "}, {17, "       e) "},
  };
  for (const auto& item : items) {
    EXPECT_EQ(blocks[item.block - 1].text.rfind(item.prefix, 0), 0u)
        << "block " << item.block << ": " << blocks[item.block - 1].text;
  }
  // The term the items use is defined by block 18.
  EXPECT_NE(blocks[17].text.find("\"Managed Computer\""), std::string::npos);
  EXPECT_NE(blocks[9].text.find("Managed Computer"), std::string::npos);
}

TEST(TermsText, ParagraphsAreSentenceCaseExceptTheTwoDisclaimers) {
  const auto blocks = ParseBlocks(TermsText());
  ASSERT_EQ(blocks.size(), 35u);
  for (int n = 5; n <= 35; ++n) {
    if (std::find(std::begin(kHeadings), std::end(kHeadings), n) != std::end(kHeadings)) continue;
    const bool upper = n == 30 || n == 31;
    EXPECT_EQ(HasLower(blocks[n - 1].text), !upper) << "block " << n;
    EXPECT_GT(blocks[n - 1].text.size(), 60u) << "block " << n;
  }
}

// The viewer loads part one and then appends part two: each part on its own holds its
// blocks with the breaks of the whole text, part one ending with the blank line after
// block 23.
TEST(TermsText, PartOneHoldsBlocksOneToTwentyThreePartTwoTheRest) {
  const std::string one = TermsPartOne();
  ASSERT_GE(one.size(), 4u);
  EXPECT_EQ(one.substr(one.size() - 4), "\r\n\r\n");
  const auto first = ParseBlocks(one.substr(0, one.size() - 4));
  const auto second = ParseBlocks(TermsPartTwo());
  ASSERT_EQ(first.size(), 23u);
  ASSERT_EQ(second.size(), 12u);
  for (int n = 1; n <= 35; ++n) {
    const ParsedBlock& block = n <= 23 ? first[n - 1] : second[n - 24];
    EXPECT_EQ(block.after, n == 23 ? Gap::Nothing : ExpectedGapAfter(n)) << "after block " << n;
  }
  EXPECT_EQ(first.back().text.rfind("You alone decide", 0), 0u);
  EXPECT_EQ(second.front().text, "4. TERMINATION.");
}

TEST(DialogTexts, BlanksQuotesStopsAndAccessKeys) {
  const std::string note = kAckLabel6;
  EXPECT_EQ(note.rfind("NOTE:  Norvane", 0), 0u);
  EXPECT_NE(note.find("Norvane.  Therefore,"), std::string::npos);
  std::size_t doubles = 0;
  for (std::size_t pos = 0; (pos = note.find("  ", pos)) != std::string::npos; pos += 2) {
    ++doubles;
  }
  EXPECT_EQ(doubles, 2u);
  EXPECT_NE(std::string(kAckLabel1).find("\"I Accept\""), std::string::npos);
  EXPECT_EQ(std::string(kAckLabel2).back(), '.');
  EXPECT_NE(std::string(kAgreementCaption).back(), '.');

  const struct {
    const char* text;
    long ampersands;
  } keys[] = {{kAckBtnOK, 1},  {kAckBtnCANCEL, 0}, {kAckLabel1, 0}, {kAckLabel2, 0},
              {kAckLabel3, 0}, {kAckLabel4, 0},    {kAckLabel6, 0}, {kAgreementCommand1, 1}};
  for (const auto& k : keys) {
    const std::string s = k.text;
    EXPECT_EQ(std::count(s.begin(), s.end(), '&'), k.ampersands) << s;
  }
}

}  // namespace
}  // namespace qc::test
