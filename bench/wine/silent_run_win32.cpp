// A whole silent run of the cleaner on a clean prefix against a program that only shows
// one message box: start to exit, both answered by the same clicker ("&No" to "Done").
// What the ratio shows is the cleaner's own start-up, WMI and scanning cost.
// Usage: bench_silent_run [rounds]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/wine/BenchTiming.h"
#include "tests/e2e/driver/Driver.h"

namespace {

using namespace qc::e2e;

constexpr DWORD kTimeout = 120000;

// Starts the program, answers its "Done" box with No and waits for it to end; notes how
// long the box took to show up.
bool RunAndAnswer(const std::wstring& exe, const std::wstring& arguments,
                  std::vector<double>& boxShown) {
  const double start = qc::bench::Seconds();
  std::optional<Process> child = Process::Start(exe, {.arguments = arguments});
  if (!child) return false;
  HWND box = WaitForMessageBox(child->pid(), kTimeout, L"Done");
  boxShown.push_back(qc::bench::Seconds() - start);
  if (box == nullptr || !PressButton(box, L"&No")) return false;
  return child->WaitForExit(kTimeout).has_value();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = qc::bench::Rounds(argc, argv, 5);
  std::vector<double> cleanerBox, oneBoxBox;
  const qc::bench::Contender cleaner{
      "silent run", nullptr, [&] { return RunAndAnswer(CleanerPath(), L"/s", cleanerBox); }};
  const qc::bench::Contender oneBox{
      "one message box", nullptr,
      [&] { return RunAndAnswer(BesideExe(L"bench_one_box.exe"), L"", oneBoxBox); }};
  std::printf("Whole silent run on a clean prefix, %d rounds (one warm-up each)\n", rounds);
  // The warm-up loads the DLLs and starts Wine's helper processes once for both.
  qc::bench::Alternate(cleaner, oneBox, 1, "warm-up");
  cleanerBox.clear();
  oneBoxBox.clear();
  const qc::bench::Timings t = qc::bench::Alternate(cleaner, oneBox, rounds);
  qc::bench::Report("Silent run vs one message box", cleaner, oneBox, t, 0);
  // Start to box is the cleaner's whole work; box to exit is Wine ending a window
  // program, the same for both.
  const double a = qc::bench::Median(cleanerBox), b = qc::bench::Median(oneBoxBox);
  std::printf(
      "Start to \"Done\" box: silent run median %.1f ms, one message box median %.1f ms,"
      " ratio %.2f\n",
      a * 1e3, b * 1e3, b > 0 ? a / b : 0.0);
  return t.ok ? 0 : 1;
}
