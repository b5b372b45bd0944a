// The demonstration: starts the cleaner in silent mode, answers its "Done" box with Yes,
// prints the box and the results list, closes the main window and prints the exit code.
// Runs inside the sandboxed Wine prefix that scripts/demo.sh prepares.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/driver/Driver.h"

namespace {

using namespace qc::e2e;

// A whole run under Wine (WMI start-up included) can take a while on a slow machine.
constexpr DWORD kRunTimeout = 180000;
constexpr DWORD kWindowTimeout = 30000;
constexpr wchar_t kMainCaption[] = L"Quenzor v5.x Client Cache Cleaner";

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

void PrintResults(HWND main) {
  const std::vector<std::wstring> lines = ListBoxLines(FindChild(main, L"ListBox"));
  Print(L"");
  Print(L"Results list (" + std::to_wstring(lines.size()) + L" lines):");
  for (const std::wstring& line : lines) Print(L"  " + line);
  Print(L"");
}

int RunDemo() {
  Print(L"Starting " + CleanerPath() + L" /s");
  auto cleaner = StartCleaner({.arguments = L"/s"});
  if (!cleaner) return Fail(L"cannot start the cleaner");
  if (!AnswerDoneBox(*cleaner)) return Fail(L"the \"Done\" box did not appear");
  HWND main = WaitForWindow(cleaner->pid(), kMainCaption, kWindowTimeout);
  if (main == nullptr) return Fail(L"the main window did not appear");
  PrintResults(main);
  Print(L"Closing the main window");
  PostClose(main, /*viaSysCommand=*/false);
  const auto code = cleaner->WaitForExit(kWindowTimeout);
  if (!code) return Fail(L"the cleaner did not end");
  Print(L"Exit code: " + std::to_wstring(*code));
  return 0;
}

}  // namespace

int wmain() {
  // Unix line ends: the output goes to a Linux terminal or script.
  _setmode(_fileno(stdout), _O_BINARY);
  try {
    return RunDemo();
  } catch (...) {
    return Fail(L"unexpected error");
  }
}
