// The Windows the tests run on, read in Windows as the cleaner reads it: whether it is
// 64-bit, which kind of program the cleaner is there, and the Program Files folders the
// environment names. Seeds and expectations decide from it, never from the build.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qc::e2e {

struct TestedWindows {
  bool windows64 = false;  // the native system, whichever kind of program asks
  bool cleaner64 = false;  // QuenzorCleaner.exe is a 64-bit program
  // Program Files folders reported besides C:\Program Files, in the order the cleaner
  // reads the variables, each once.
  std::vector<std::wstring> otherProgramFiles;

  bool Reports(const std::wstring& programFiles) const;
  // The cleaner's own registry view and the other one: as a REGSAM, as the trace hive
  // ("HKLM32" / "HKLM64") and as the suffix of its lines. 32-bit Windows has one view:
  // 0 and empty texts.
  REGSAM ownView() const;
  std::wstring otherViewHive() const;
  std::wstring otherViewSuffix() const;
  std::wstring Describe() const;  // one line for people reading the output
};

// Read once per test program; the prefix does not change kind while it runs.
const TestedWindows& WindowsUnderTest();

}  // namespace qc::e2e
