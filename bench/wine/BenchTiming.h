// Shared by the Wine benchmarks: a QueryPerformanceCounter clock, medians, running two
// contenders alternately (A, B, A, B, ...) with an untimed preparation before each run,
// and printing medians and their ratio.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace qc::bench {

inline double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / frequency;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The number of A/B rounds: the first argument when it is a number, else the default.
inline int Rounds(int argc, wchar_t** argv, int fallback) {
  if (argc > 1) {
    const int n = _wtoi(argv[1]);
    if (n > 0) return n;
  }
  return fallback;
}

struct Contender {
  const char* name;
  // Untimed: builds what the run consumes (a tree, a subtree). False stops the benchmark.
  std::function<bool()> prepare;
  // Timed: does the work once. False when the work was not done.
  std::function<bool()> run;
};

struct Timings {
  std::vector<double> a, b;
  bool ok = true;
};

inline double TimeOne(const Contender& c, bool& ok) {
  if (c.prepare && !c.prepare()) {
    std::printf("  %s: preparation failed\n", c.name);
    ok = false;
    return 0;
  }
  const double start = Seconds();
  const bool done = c.run();
  const double elapsed = Seconds() - start;
  if (!done) {
    std::printf("  %s: the work was not completed\n", c.name);
    ok = false;
  }
  return elapsed;
}

// Alternates the two so that a slow phase of a shared machine hits both alike; the
// first round goes A first, the next B first, and so on.
inline Timings Alternate(const Contender& a, const Contender& b, int rounds,
                         const char* label = "round") {
  Timings t;
  for (int round = 0; round < rounds && t.ok; ++round) {
    if (round % 2 == 0) {
      t.a.push_back(TimeOne(a, t.ok));
      t.b.push_back(TimeOne(b, t.ok));
    } else {
      t.b.push_back(TimeOne(b, t.ok));
      t.a.push_back(TimeOne(a, t.ok));
    }
    std::printf("  %s %d: %s %.1f ms, %s %.1f ms\n", label, round + 1, a.name, t.a.back() * 1e3,
                b.name, t.b.back() * 1e3);
    std::fflush(stdout);
  }
  return t;
}

// Prints the medians and "ratio A/B"; perItem > 0 adds the time per item.
inline void Report(const char* what, const Contender& a, const Contender& b, const Timings& t,
                   double target, double perItem = 0) {
  const double ma = Median(t.a), mb = Median(t.b);
  std::printf("%s: %s median %.1f ms, %s median %.1f ms", what, a.name, ma * 1e3, b.name, mb * 1e3);
  if (perItem > 0) {
    std::printf(" (%.2f us and %.2f us per entry)", ma / perItem * 1e6, mb / perItem * 1e6);
  }
  std::printf(", ratio %.2f", mb > 0 ? ma / mb : 0.0);
  if (target > 0)
    std::printf(" (target <= %.2f: %s)", target, ma <= target * mb ? "met" : "MISSED");
  std::printf("%s\n", t.ok ? "" : " [some runs failed]");
  std::fflush(stdout);
}

// Runs a command line to its end without a window; false when it could not be started.
inline bool RunCommand(std::wstring commandLine, DWORD* exitCode = nullptr) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi)) {
    return false;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (exitCode != nullptr) *exitCode = code;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// A folder of our own under %TEMP%, named after the benchmark and this process.
inline std::wstring ScratchFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  std::wstring path(temp, n);
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  path += L"\\qc-bench-" + std::wstring(name) + L"-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

}  // namespace qc::bench
