// The shortcut scan of a Desktop of 10,000 entries, 2,000 of them shortcuts that do not
// name the agent (so nothing is deleted and every round sees the same folder), against a
// plain listing of the same folder, and against a listing that also reads every shortcut.
// Usage: bench_shortcut_scan [rounds]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/wine/BenchTiming.h"
#include "files/ShortcutCleaner.h"
#include "platform/ResultsList.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/RestartRemoval_win32.h"
#include "platform/win32/Utf.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kShortcuts = 2000;

class CountingList final : public qc::IResultsSink {
 public:
  void Add(std::string_view, qc::Outcome) override { ++lines; }
  int lines = 0;
};

// A shortcut-sized file: a binary header, NUL runs and the path of another program.
std::string ShortcutBytes(int n) {
  std::string bytes("L\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0F", 20);
  bytes += std::string(56, '\0');
  bytes += "C:\\Program Files\\Office\\Program" + std::to_string(n) + ".exe";
  bytes += std::string(900, '\0');
  bytes += "%SystemRoot%\\system32\\shell32.dll";
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok != FALSE;
}

bool MakeDesktop(const std::wstring& desktop) {
  CreateDirectoryW(desktop.c_str(), nullptr);
  for (int i = 0; i < kEntries; ++i) {
    const bool shortcut = i % (kEntries / kShortcuts) == 0;
    const std::wstring name = shortcut ? L"Program " + std::to_wstring(i) + L".lnk"
                                       : L"Document " + std::to_wstring(i) + L".txt";
    if (!WriteFileBytes(desktop + L"\\" + name, shortcut ? ShortcutBytes(i) : "notes")) {
      return false;
    }
  }
  return true;
}

int PlainListing(const std::wstring& desktop) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((desktop + L"\\*.*").c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    ++count;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

// The listing plus one open and full read of every ".lnk" entry: what the scan must do.
int ListingAndReading(const std::wstring& desktop) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((desktop + L"\\*.*").c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int read = 0;
  char buffer[64 * 1024];
  do {
    const std::wstring name = data.cFileName;
    if (name.size() < 4 || _wcsicmp(name.c_str() + name.size() - 4, L".lnk") != 0) continue;
    HANDLE file = CreateFileW((desktop + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    }
    CloseHandle(file);
    ++read;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return read;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = qc::bench::Rounds(argc, argv, 5);
  const std::wstring scratch = qc::bench::ScratchFolder(L"scan");
  const std::wstring desktop = scratch + L"\\Desktop";
  if (!MakeDesktop(desktop)) {
    std::printf("cannot create the Desktop folder\n");
    return 1;
  }
  qc::win::Win32FileSystem fs;
  qc::win::Win32RestartRemoval restart;
  const std::string desktopUtf8 = qc::win::ToUtf8(desktop);

  const qc::bench::Contender scan{
      "SearchDirDel", nullptr, [&] {
        CountingList list;
        qc::SearchDirDel(fs, list, desktopUtf8, "Kelvora Quenzor Plexarium by Norvane", restart);
        return list.lines == 0;
      }};
  const qc::bench::Contender listing{"plain listing", nullptr,
                                     [&] { return PlainListing(desktop) == kEntries + 2; }};
  const qc::bench::Contender reading{"listing + reading the shortcuts", nullptr,
                                     [&] { return ListingAndReading(desktop) == kShortcuts; }};

  std::printf("Shortcut scan: %d entries, %d shortcuts, %d rounds (one warm-up each)\n", kEntries,
              kShortcuts, rounds);
  // The warm-up puts the folder and the shortcuts in the cache for both.
  qc::bench::Alternate(scan, listing, 1, "warm-up");
  const qc::bench::Timings t = qc::bench::Alternate(scan, listing, rounds);
  qc::bench::Report("Shortcut scan vs listing", scan, listing, t, 0, kEntries);
  const qc::bench::Timings r = qc::bench::Alternate(scan, reading, rounds);
  qc::bench::Report("Shortcut scan vs listing + reading", scan, reading, r, 0, kEntries);
  qc::bench::RunCommand(L"cmd.exe /c rd /s /q \"" + scratch + L"\"");
  return t.ok && r.ok ? 0 : 1;
}
