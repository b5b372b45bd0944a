// The demonstration: with --seed it first lays the product's traces and some decoys
// into the machine and prints what is there; then it starts the cleaner in silent mode
// from the user's Downloads folder, answers its "Done" box with Yes, prints the box and
// the results list, prints what is left of the seed, closes the main window and prints
// the exit code. Runs inside the sandboxed Wine prefix that scripts/demo.sh prepares,
// never on a real profile. With --describe it only prints what Windows the prefix is
// (scripts/test.sh names its passes by it).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/win32/Utf.h"
#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/Seed.h"
#include "tests/e2e/driver/SeedExpectation.h"
#include "tests/e2e/driver/TestedWindows.h"
#include "texts/Form1Texts.h"

namespace {

using namespace qc::e2e;

// A whole run under Wine (WMI start-up included) can take a while on a slow machine.
constexpr DWORD kRunTimeout = 180000;
constexpr DWORD kWindowTimeout = 30000;

// Console output as UTF-8 bytes, whatever the console's code page.
void Print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  bytes += '\n';
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  fflush(stdout);
}

// Shows CR LF in a box text as a visible break, so the printed text stays one line.
std::wstring OneLine(std::wstring text) {
  for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) {
    text.replace(at, 2, L" | ");
  }
  return text;
}

int Fail(const std::wstring& why) {
  Print(L"demo: " + why);
  return 2;
}

// Answers the silent "Done" box with Yes; false when it never came.
bool AnswerDoneBox(const Process& cleaner) {
  HWND box = WaitForMessageBox(cleaner.pid(), kRunTimeout);
  if (box == nullptr) return false;
  const MessageBoxInfo info = ReadMessageBox(box);
  Print(L"Box \"" + info.title + L"\": " + OneLine(info.text));
  Print(L"Answering: Yes");
  return PressButton(box, L"&Yes");
}

std::vector<std::wstring> PrintResults(HWND main) {
  const std::vector<std::wstring> lines = ListBoxLines(FindChild(main, L"ListBox"));
  Print(L"");
  Print(L"Results list (" + std::to_wstring(lines.size()) + L" lines):");
  for (const std::wstring& line : lines) Print(L"  " + line);
  Print(L"");
  return lines;
}

constexpr const wchar_t* kKindNames[] = {L"Registry keys", L"Folders", L"Files", L"Processes"};

void PrintBefore(const Seeder& seed) {
  Print(L"Before the run: the product's traces, and decoys that must stay");
  Print(L"  (a 32-bit installation under Program Files (x86), a key in the other registry view");
  Print(L"  and the Desktop moved into OneDrive, where this Windows has them)");
  for (int kind = 0; kind < 4; ++kind) {
    int targets = 0, decoys = 0;
    for (const Trace& t : seed.traces()) {
      if (int(t.kind) != kind || !Seeder::Exists(t)) continue;
      (t.decoy ? decoys : targets)++;
    }
    std::wstring name = std::wstring(kKindNames[kind]) + L":";
    name.resize(16, L' ');
    Print(L"  " + name + std::to_wstring(targets) + L" of the product, " + std::to_wstring(decoys) +
          L" decoys");
  }
  Print(L"");
}

// True when every target is gone and every decoy is still there.
bool PrintAfter(const Seeder& seed) {
  std::vector<std::wstring> left, lost;
  int decoys = 0;
  for (const Trace& t : seed.traces()) {
    decoys += t.decoy ? 1 : 0;
    const bool there = Seeder::Exists(t);
    if (!t.decoy && there) left.push_back(t.path);
    if (t.decoy && !there) lost.push_back(t.path);
  }
  Print(L"After the run:");
  Print(L"  Product traces left: " + (left.empty() ? L"none" : std::to_wstring(left.size())));
  for (const std::wstring& path : left) Print(L"    " + path);
  Print(L"  Decoys intact: " + std::to_wstring(decoys - int(lost.size())) + L" of " +
        std::to_wstring(decoys));
  for (const std::wstring& path : lost) Print(L"    lost: " + path);
  Print(L"");
  return left.empty() && lost.empty();
}

// The process lines follow the order in which the processes were enumerated; all other
// lines have a fixed order.
bool AsExpected(std::vector<std::wstring> got, const Expectation& want) {
  Lines processes = want.processLines();
  if (got.size() < processes.size()) return false;
  const auto split = got.begin() + std::ptrdiff_t(processes.size());
  std::sort(got.begin(), split);
  std::sort(processes.begin(), processes.end());
  return std::equal(processes.begin(), processes.end(), got.begin()) &&
         Lines(split, got.end()) == want.rest();
}

int RunDemo(bool seedFirst) {
  Print(L"This Windows: " + WindowsUnderTest().Describe());
  std::optional<Seeder> seed;
  std::optional<Expectation> want;
  const Faults none;
  if (seedFirst) {
    SeedOptions options = DefaultSeedOptions();
    options.todaysPc = true;
    seed.emplace(options);
    std::wstring error;
    if (!seed->LayDown(&error)) return Fail(L"cannot seed the machine: " + error);
    PrintBefore(*seed);
    want.emplace(*seed, none);
  }
  // From the user's Downloads folder, as a user starts a downloaded program.
  const std::wstring downloads = DownloadsFolder();
  Print(L"Starting " + CleanerPath() + L" /s from " + downloads);
  auto cleaner = StartCleaner({.arguments = L"/s", .workingDirectory = downloads});
  if (!cleaner) return Fail(L"cannot start the cleaner");
  if (!AnswerDoneBox(*cleaner)) return Fail(L"the \"Done\" box did not appear");
  HWND main = WaitForWindow(cleaner->pid(), qc::win::ToW(qc::kMainCaption), kWindowTimeout);
  if (main == nullptr) return Fail(L"the main window did not appear");
  const std::vector<std::wstring> lines = PrintResults(main);
  bool ok = true;
  if (want) {
    ok = AsExpected(lines, *want);
    Print(ok ? L"The results list is the one expected for the seeded machine."
             : L"demo: the results list differs from the one expected for the seeded machine");
    Print(L"");
    ok = PrintAfter(*seed) && ok;
  }
  Print(L"Closing the main window");
  PostClose(main, /*viaSysCommand=*/false);
  const auto code = cleaner->WaitForExit(kWindowTimeout);
  if (!code) return Fail(L"the cleaner did not end");
  Print(L"Exit code: " + std::to_wstring(*code));
  return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Unix line ends: the output goes to a Linux terminal or script.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  try {
    if (mode == L"--describe") {
      Print(WindowsUnderTest().Describe());
      return 0;
    }
    return RunDemo(mode == L"--seed");
  } catch (...) {
    return Fail(L"unexpected error");
  }
}
