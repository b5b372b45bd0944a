// The Windows the tests run on, read through the calls and values the cleaner uses.
#include "tests/e2e/driver/TestedWindows.h"

#include "tests/e2e/driver/Driver.h"
#include "tests/e2e/driver/SeedExpectation.h"

namespace qc::e2e {
namespace {

constexpr wchar_t kLiteralProgramFiles[] = L"C:\\Program Files";

// The test programs are built beside the cleaner, as the same kind of program, so their
// environment is the one the cleaner gets (WOW64 gives a 32-bit program other values).
std::vector<std::wstring> OtherProgramFiles() {
  std::vector<std::wstring> roots;
  for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
    wchar_t buffer[MAX_PATH]{};
    const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    std::wstring root(buffer, n < MAX_PATH ? n : 0);
    while (root.size() > 3 && root.back() == L'\\') root.pop_back();
    if (root.size() < 3 || root[1] != L':' || SameText(root, kLiteralProgramFiles)) continue;
    bool seen = false;
    for (const std::wstring& r : roots) seen = seen || SameText(r, root);
    if (!seen) roots.push_back(root);
  }
  return roots;
}

TestedWindows Read() {
  TestedWindows w;
  SYSTEM_INFO native{};
  GetNativeSystemInfo(&native);
  w.windows64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ||
                native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
  DWORD type = 0;
  w.cleaner64 = GetBinaryTypeW(CleanerPath().c_str(), &type) && type == SCS_64BIT_BINARY;
  w.otherProgramFiles = OtherProgramFiles();
  return w;
}

}  // namespace

bool TestedWindows::Reports(const std::wstring& programFiles) const {
  for (const std::wstring& root : otherProgramFiles) {
    if (SameText(root, programFiles)) return true;
  }
  return false;
}

REGSAM TestedWindows::ownView() const {
  if (!windows64) return 0;
  return cleaner64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

std::wstring TestedWindows::otherViewHive() const {
  if (!windows64) return L"";
  return cleaner64 ? L"HKLM32" : L"HKLM64";
}

std::wstring TestedWindows::otherViewSuffix() const {
  if (!windows64) return L"";
  return cleaner64 ? L" (32-bit view)" : L" (64-bit view)";
}

std::wstring TestedWindows::Describe() const {
  std::wstring text = std::wstring(windows64 ? L"64-bit" : L"32-bit") + L" Windows, " +
                      (cleaner64 ? L"64-bit" : L"32-bit") + L" cleaner" +
                      (windows64 && !cleaner64 ? L" (WOW64)" : L"") + L"; Program Files: " +
                      kLiteralProgramFiles;
  for (const std::wstring& root : otherProgramFiles) text += L", " + root;
  return text;
}

const TestedWindows& WindowsUnderTest() {
  static const TestedWindows windows = Read();
  return windows;
}

}  // namespace qc::e2e
