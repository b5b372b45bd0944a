// DeleteRegistryKey on a subtree of 10,000 keys against "reg delete /f" on an identical
// subtree in the same prefix. Usage: bench_registry_delete [rounds]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/wine/BenchTiming.h"
#include "platform/ResultsList.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/Utf.h"
#include "registry/RegistryKeys.h"

namespace {

constexpr int kFirstLevel = 10;
constexpr int kSecondLevel = 10;
constexpr int kLeaves = 99;  // 10 + 100 + 100 * 99 = 10,010 keys below the named one

class LastLine final : public qc::IResultsSink {
 public:
  void Add(std::string_view line, qc::Outcome) override { text.assign(line); }
  std::string text;
};

bool CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const wchar_t value[] = L"{0D43FE01-0000-0000-0000-000000000000}";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
  RegCloseKey(key);
  return true;
}

bool MakeSubtree(const std::wstring& root) {
  if (!CreateKey(root)) return false;
  for (int a = 0; a < kFirstLevel; ++a) {
    const std::wstring first = root + L"\\Kelvora.Component" + std::to_wstring(a);
    if (!CreateKey(first)) return false;
    for (int b = 0; b < kSecondLevel; ++b) {
      const std::wstring second = first + L"\\CLSID" + std::to_wstring(b);
      if (!CreateKey(second)) return false;
      for (int c = 0; c < kLeaves; ++c) {
        if (!CreateKey(second + L"\\Interface" + std::to_wstring(c))) return false;
      }
    }
  }
  return true;
}

bool Gone(const std::wstring& path) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = qc::bench::Rounds(argc, argv, 5);
  const std::wstring base = L"Software\\QcBench" + std::to_wstring(GetCurrentProcessId());
  const std::wstring subtreeA = base + L"\\Kelvora A";
  const std::wstring subtreeB = base + L"\\Kelvora B";
  qc::win::Win32Registry registry;

  const qc::bench::Contender ours{
      "DeleteRegistryKey", [&] { return MakeSubtree(subtreeA); },
      [&] {
        LastLine line;
        qc::DeleteRegistryKey(registry, line, qc::kHkeyLocalMachine, qc::win::ToUtf8(subtreeA));
        return line.text.starts_with(qc::kKeyDeletedPrefix) && Gone(subtreeA);
      }};
  const qc::bench::Contender reg{
      "reg delete /f", [&] { return MakeSubtree(subtreeB); },
      [&] {
        return qc::bench::RunCommand(L"reg.exe delete \"HKLM\\" + subtreeB + L"\" /f") &&
               Gone(subtreeB);
      }};

  std::printf("Registry subtree deletion: %d keys below the named key, %d rounds\n",
              kFirstLevel + kFirstLevel * kSecondLevel * (1 + kLeaves), rounds);
  const qc::bench::Timings t = qc::bench::Alternate(ours, reg, rounds);
  qc::bench::Report("Registry subtree deletion", ours, reg, t, 1.5);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, base.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, base.c_str());
  return t.ok ? 0 : 1;
}
