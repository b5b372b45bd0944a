// KillFolder on a tree of 20,000 files in 2,000 folders against "cmd /c rd /s /q" on an
// identical tree in the same prefix. Usage: bench_kill_folder [rounds]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/wine/BenchTiming.h"
#include "files/FileCleaner.h"
#include "platform/ResultsList.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/RestartRemoval_win32.h"
#include "platform/win32/Utf.h"

namespace {

constexpr int kTopFolders = 200;
constexpr int kSubFolders = 9;  // 200 + 200 * 9 = 2,000 folders
constexpr int kFilesPerFolder = 10;

class LastLine final : public qc::IResultsSink {
 public:
  void Add(std::string_view line, qc::Outcome) override { text.assign(line); }
  std::string text;
};

bool WriteSmallFile(const std::wstring& path, int n) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string bytes = "installation file " + std::to_string(n) + std::string(200, 'x');
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok != FALSE;
}

bool FillFolder(const std::wstring& folder) {
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
  for (int f = 0; f < kFilesPerFolder; ++f) {
    if (!WriteSmallFile(folder + L"\\file" + std::to_wstring(f) + L".dat", f)) return false;
  }
  return true;
}

bool MakeTree(const std::wstring& root) {
  if (!CreateDirectoryW(root.c_str(), nullptr)) return false;
  for (int top = 0; top < kTopFolders; ++top) {
    const std::wstring folder = root + L"\\Component " + std::to_wstring(top);
    if (!FillFolder(folder)) return false;
    for (int sub = 0; sub < kSubFolders; ++sub) {
      if (!FillFolder(folder + L"\\part" + std::to_wstring(sub))) return false;
    }
  }
  return true;
}

bool Gone(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = qc::bench::Rounds(argc, argv, 3);
  const std::wstring scratch = qc::bench::ScratchFolder(L"kill");
  const std::wstring treeA = scratch + L"\\Kelvora Quenzor A";
  const std::wstring treeB = scratch + L"\\Kelvora Quenzor B";
  qc::win::Win32FileSystem fs;
  qc::win::Win32RestartRemoval restart;

  const qc::bench::Contender killFolder{
      "KillFolder", [&] { return MakeTree(treeA); },
      [&] {
        LastLine line;
        return qc::KillFolder(fs, line, qc::win::ToUtf8(treeA), restart) && Gone(treeA);
      }};
  const qc::bench::Contender rd{
      "cmd /c rd /s /q", [&] { return MakeTree(treeB); },
      [&] {
        return qc::bench::RunCommand(L"cmd.exe /c rd /s /q \"" + treeB + L"\"") && Gone(treeB);
      }};

  std::printf("Folder tree deletion: %d files in %d folders, %d rounds\n",
              kTopFolders * (kSubFolders + 1) * kFilesPerFolder, kTopFolders * (kSubFolders + 1),
              rounds);
  const qc::bench::Timings t = qc::bench::Alternate(killFolder, rd, rounds);
  qc::bench::Report("Folder tree deletion", killFolder, rd, t, 1.2);
  qc::bench::RunCommand(L"cmd.exe /c rd /s /q \"" + scratch + L"\"");
  return t.ok ? 0 : 1;
}
