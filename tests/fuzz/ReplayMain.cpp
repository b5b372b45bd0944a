// Runs a fuzz target where the compiler has no libFuzzer: every file of the corpus folders
// named on the command line, then a bounded run of seeded random changes to them. A
// target that finds a fault aborts, and so fails the test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kRandomRuns = 20000;
constexpr std::uint32_t kSeed = 1;

void RunOne(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

// A few edits of the kinds that move a name across block and read boundaries or change
// its letters: a byte more, a byte less, the other letter case, a slice repeated.
std::string Mutate(std::string s, std::mt19937& random) {
  for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
    const std::size_t at = random() % (s.size() + 1);
    const bool inside = at < s.size();
    switch (random() % 4) {
      case 0:
        s.insert(at, 1, char(random()));
        break;
      case 1:
        if (inside) s.erase(at, 1);
        break;
      case 2:
        if (inside) s[at] = char(s[at] ^ 0x20);
        break;
      default:
        if (inside) s.insert(at, s.substr(at, 1 + random() % 16));
        break;
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> corpus;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream in(entry.path(), std::ios::binary);
      corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      RunOne(corpus.back());
    }
  }
  // A corpus that went missing must not pass as one that holds no fault.
  if (corpus.empty()) {
    std::fprintf(stderr, "no corpus files in the folders given\n");
    return 1;
  }
  std::mt19937 random(kSeed);
  for (int run = 0; run < kRandomRuns; ++run)
    RunOne(Mutate(corpus[random() % corpus.size()], random));
  std::printf("%zu corpus files and %d changed copies ran\n", corpus.size(), kRandomRuns);
  return 0;
}
