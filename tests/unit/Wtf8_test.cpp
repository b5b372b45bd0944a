// The conversion between Windows' UTF-16 names and the program's UTF-8: every name comes
// back exactly, half a surrogate pair included; bytes that are no UTF-8 become U+FFFD.
#include "base/Wtf8.h"

#include <gtest/gtest.h>

namespace qc::test {
namespace {

TEST(Wtf8, EveryNameWindowsGivesComesBackExactly) {
  const struct {
    std::u16string utf16;
    std::string utf8;        // as the program keeps it
    std::string wellFormed;  // as a UTF-8 file gets it
  } cases[] = {
      {u"Kelvora.lnk", "Kelvora.lnk", "Kelvora.lnk"},
      {u"Zo\u00EB \u5C71\u7530", "Zo\xC3\xAB \xE5\xB1\xB1\xE7\x94\xB0",
       "Zo\xC3\xAB \xE5\xB1\xB1\xE7\x94\xB0"},
      {u"\U0001F600", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {u"a\xD800", "a\xED\xA0\x80", "a\xEF\xBF\xBD"},
      {u"\xDC00z", "\xED\xB0\x80z", "\xEF\xBF\xBDz"},
      {u"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\xD83D\xD83D\xDE00", "\xED\xA0\xBD\xF0\x9F\x98\x80", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Wtf8Of(c.utf16), c.utf8) << c.utf8;
    EXPECT_EQ(Utf16Of(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf8Of(c.utf8), c.wellFormed) << c.utf8;
  }
}

TEST(Wtf8, BytesThatAreNoUtf8BecomeReplacementCharacters) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // a too long form of '/'
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // the same, three bytes long
      {"x\xE2\x82", u"x\uFFFD\uFFFD"},                    // cut short
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\x80z", u"\uFFFDz"},
  };
  for (const auto& [bytes, utf16] : cases) EXPECT_EQ(Utf16Of(bytes), utf16) << bytes;
}

}  // namespace
}  // namespace qc::test
