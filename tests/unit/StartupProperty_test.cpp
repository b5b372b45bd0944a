// Seeded random argument texts for the start-up: every letter-case spelling of the two
// keywords starts a silent run, and near misses of them (a character added, dropped,
// changed or swapped, look-alike letters, blanks, both keywords) and random noise give
// the interactive start without touching anything.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "fakes/FakeServices.h"

namespace qc::test {
namespace {

using namespace std::string_literals;

// Every spelling that must select silent mode, listed outright: 64 of "silent", 2 of "/s".
std::set<std::string> SilentSpellings() {
  std::set<std::string> out;
  for (const std::string word : {"silent", "/s"}) {
    for (unsigned mask = 0; mask < (1u << word.size()); ++mask) {
      std::string s = word;
      for (std::size_t i = 0; i < s.size(); ++i) {
        if ((mask >> i) & 1 && s[i] != '/') s[i] = char(s[i] - 'a' + 'A');
      }
      out.insert(s);
    }
  }
  return out;
}

class Mutator {
 public:
  explicit Mutator(std::uint32_t seed) : rng_(seed) {}

  std::string Keyword() {
    std::string s = rng_() % 2 ? "silent" : "/s";
    for (char& c : s) {
      if (rng_() % 2 && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return s;
  }

  // One to three small edits of a keyword spelling.
  std::string NearMiss() {
    std::string s = Keyword();
    for (int edits = 1 + int(rng_() % 3); edits > 0; --edits) Edit(s);
    return s;
  }

  std::string Noise() {
    std::string s;
    for (std::size_t n = rng_() % 9; n > 0; --n) s += char(1 + rng_() % 126);
    return s;
  }

 private:
  char Any() {
    static const std::string kPool = " \t\r\n\"-/\\sSiIlLx.\0\xC5\xBF\xC4\xB1"s;
    return kPool[rng_() % kPool.size()];
  }
  void Edit(std::string& s) {
    const std::size_t at = s.empty() ? 0 : rng_() % s.size();
    static const char* kLookAlikes[] = {
        "\xC5\xBFilent", "s\xC4\xB1lent", "\xEF\xBC\x8Fs", "/\xC5\xBF", "SILENT\xC2\xA0",
        "silent /s",     "/s silent",     "/silent",       "-s",        "s"};
    switch (rng_() % 7) {
      case 0:
        s.insert(s.begin() + std::ptrdiff_t(s.empty() ? 0 : rng_() % (s.size() + 1)), Any());
        break;
      case 1:
        if (!s.empty()) s.erase(at, 1);
        break;
      case 2:
        if (!s.empty()) s[at] = Any();
        break;
      case 3:
        if (s.size() > 1) std::swap(s[at], s[(at + 1) % s.size()]);
        break;
      case 4:
        s = (rng_() % 2 ? " " : "") + s + (rng_() % 2 ? " " : "\t");
        break;
      case 5:
        s = kLookAlikes[rng_() % std::size(kLookAlikes)];
        break;
      default:
        s += s;
        break;
    }
  }
  std::mt19937 rng_;
};

struct Rig : FakeServices {
  Form1 form{All()};

  explicit Rig(std::string args) {
    commandLine.text = std::move(args);
    env.vars["USERPROFILE"] = "C:\\Users\\me";
  }
};

void CheckStart(const std::string& args, bool silent) {
  Rig rig(args);
  rig.form.Form_Load();  // the boxes answer Yes, so the program is never ended here
  const std::string shown = "[" + args + "]";
  if (silent) {
    EXPECT_EQ(rig.ui.acknowledgements, 0) << shown;
    ASSERT_EQ(rig.ui.boxes.size(), 1u) << shown;
    EXPECT_EQ(rig.ui.boxes[0].title, "Done") << shown;
    EXPECT_FALSE(rig.processes.events.empty()) << shown;
  } else {
    // The interactive start shows the acknowledgement and touches nothing yet.
    EXPECT_EQ(rig.ui.acknowledgements, 1) << shown;
    EXPECT_TRUE(rig.ui.boxes.empty()) << shown;
    EXPECT_TRUE(rig.list.lines.empty()) << shown;
    EXPECT_TRUE(rig.processes.events.empty()) << shown;
    EXPECT_TRUE(rig.registry.log.empty()) << shown;
    EXPECT_TRUE(rig.fs.log.empty()) << shown;
  }
}

TEST(StartupProperty, SilentExactlyForTheTwoKeywordsInAnyLetterCase) {
  const std::set<std::string> silentSpellings = SilentSpellings();
  Mutator mutator(1234);
  int silentRuns = 0, interactiveRuns = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string args;
    switch (round % 3) {
      case 0:
        args = mutator.Keyword();
        break;
      case 1:
        args = mutator.NearMiss();
        break;
      default:
        args = mutator.Noise();
        break;
    }
    const bool silent = silentSpellings.count(args) == 1;
    if (round % 3 == 0) {
      ASSERT_TRUE(silent) << args;  // the generator's own promise
    }
    (silent ? silentRuns : interactiveRuns)++;
    CheckStart(args, silent);
  }
  // Both ways were exercised in earnest, near misses included.
  EXPECT_GE(silentRuns, 500);
  EXPECT_GE(interactiveRuns, 900);
}

TEST(StartupProperty, ArgumentTextIsWhatFollowsTheProgramPathAndItsBlanks) {
  Mutator mutator(99);
  std::mt19937 rng(7);
  const char* kPrograms[] = {"\"C:\\Program Files\\Tools\\QuenzorCleaner.exe\"",
                             "C:\\Tools\\QuenzorCleaner.exe", "QuenzorCleaner",
                             "\"C:\\a b\\Q.exe\""};
  const char* kBlanks[] = {" ", "  ", "\t", " \t "};
  for (int round = 0; round < 2000; ++round) {
    std::string args = round % 2 ? mutator.NearMiss() : mutator.Keyword();
    // Leading blanks belong to the separation, not to the argument text.
    while (!args.empty() && static_cast<unsigned char>(args[0]) <= ' ') args.erase(0, 1);
    const std::string program = kPrograms[rng() % std::size(kPrograms)];
    const std::string blank = args.empty() && rng() % 2 ? "" : kBlanks[rng() % std::size(kBlanks)];
    ASSERT_EQ(ArgumentTextFromCommandLine(program + blank + args), args)
        << "[" << program << blank << args << "]";
  }
}

}  // namespace
}  // namespace qc::test
