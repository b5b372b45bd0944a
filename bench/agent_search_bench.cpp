// Throughput of the streamed agent-name search over data already in memory, side by side
// with a plain case-insensitive byte search, and (with --stream-file) the peak memory of
// scanning a real file of any size.
//
//   agent_search_bench [benchmark flags]       throughput, then the ratios
//   agent_search_bench --stream-file=BIG [--stream-file=SMALL ...]
//                                               scans each file, prints max RSS after each
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "files/AgentSearch.h"

namespace {

constexpr std::size_t kDataBytes = 32u << 20;

// Shortcut-like bytes that never hold the name but keep its first letters busy: binary
// headers, NUL runs, paths to the product's other programs, UTF-16 copies of the name.
std::string MakeShortcutLikeData() {
  static const std::string kPieces[] = {
      std::string("L\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0F", 20),
      "C:\\Program Files\\Norvane Software\\Kelvora Quenzor 6.1\\KVVIEW.EXE",
      std::string("K\0V\0A\0G\0E\0N\0T\0.\0E\0X\0E\0", 22),
      "kvagent.ex_",
      "kvagen",
      std::string(37, '\0'),
      "%SystemRoot%\\system32\\shell32.dll",
  };
  std::mt19937 rng(1);
  std::string data;
  data.reserve(kDataBytes + 128);
  while (data.size() < kDataBytes) {
    if (rng() % 4 == 0) {
      for (int i = 0; i < 16; ++i) data += char(rng());
    } else {
      data += kPieces[rng() % std::size(kPieces)];
    }
  }
  data.resize(kDataBytes);
  return data;
}

const std::string& Data(int which) {
  static const std::string shortcutLike = MakeShortcutLikeData();
  static const std::string zeros(kDataBytes, '\0');  // what a sparse file reads as
  return which == 0 ? shortcutLike : zeros;
}

// A file whose bytes are in the page cache: each read is one copy, as ReadFile gives.
class MemoryStream final : public qc::IByteStream {
 public:
  explicit MemoryStream(const std::string& data) : data_(data) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::string& data_;
  std::size_t pos_ = 0;
};

void BM_AgentSearch(benchmark::State& state) {
  const std::string& data = Data(int(state.range(0)));
  qc::AgentSearch search;
  for (auto _ : state) {
    MemoryStream stream(data);
    benchmark::DoNotOptimize(search.Scan(stream));
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}

// The reference: one std::search with a case-folding predicate over the whole buffer,
// no streaming and no copy.
void BM_PlainSearch(benchmark::State& state) {
  const std::string& data = Data(int(state.range(0)));
  const std::string_view needle = qc::kAgentImageName;
  const auto fold = [](char a, char b) { return (a >= 'a' && a <= 'z' ? char(a - 32) : a) == b; };
  for (auto _ : state) {
    const auto at = std::search(data.begin(), data.end(), needle.begin(), needle.end(), fold);
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}

BENCHMARK(BM_AgentSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Keeps the median throughput of every benchmark (or its single run) for the ratios.
class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.aggregate_name.empty() && run.aggregate_name != "median") continue;
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end())
        speed[run.run_name.function_name + "/" + run.run_name.args] = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> speed;
};

void PrintRatios(const std::map<std::string, double>& speed) {
  const char* kData[] = {"shortcut-like bytes", "zero bytes (a sparse file)"};
  for (int which = 0; which < 2; ++which) {
    const std::string arg = std::to_string(which);
    const auto a = speed.find("BM_AgentSearch/" + arg);
    const auto b = speed.find("BM_PlainSearch/" + arg);
    if (a == speed.end() || b == speed.end()) continue;
    std::printf(
        "%s: AgentSearch %.2f GB/s, plain search %.2f GB/s, ratio %.2f (target >= 1 GB/s)\n",
        kData[which], a->second / 1e9, b->second / 1e9, a->second / b->second);
  }
}

// A file read through the POSIX calls, as the Windows adapter reads through ReadFile.
class FileStream final : public qc::IByteStream {
 public:
  explicit FileStream(int fd) : fd_(fd) {}
  ~FileStream() override { close(fd_); }
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    const ssize_t n = read(fd_, buffer, size);
    if (n < 0) return std::nullopt;
    return std::size_t(n);
  }

 private:
  int fd_;
};

long MaxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}

int StreamFiles(const std::vector<std::string>& paths) {
  std::printf("max RSS at start: %ld KiB\n", MaxRssKiB());
  for (const std::string& path : paths) {
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
      std::perror(path.c_str());
      return 1;
    }
    FileStream stream(fd);
    const std::optional<bool> found = qc::AgentSearch().Scan(stream);
    std::printf("%s: %lld bytes, found=%s, max RSS so far: %ld KiB\n", path.c_str(),
                static_cast<long long>(st.st_size), found ? (*found ? "yes" : "no") : "error",
                MaxRssKiB());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  std::vector<char*> args{argv[0]};
  // Medians of several runs, the two searches interleaved, unless told otherwise.
  std::string repetitions = "--benchmark_repetitions=5";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.push_back(repetitions.data());
  args.push_back(interleave.data());
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.push_back(aggregates.data());
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.starts_with("--stream-file=")) {
      files.push_back(arg.substr(14));
    } else {
      args.push_back(argv[i]);
    }
  }
  if (!files.empty()) return StreamFiles(files);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter.speed);
  benchmark::Shutdown();
  return 0;
}
