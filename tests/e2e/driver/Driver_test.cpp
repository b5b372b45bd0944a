// Tests of the driver's own logic that the end-to-end tests rely on without seeing it:
// the environment handed to the child.
#include "tests/e2e/driver/Driver.h"

#include <gtest/gtest.h>

namespace qc::e2e {
namespace {

// The value of name in a block, as the child would read it; empty when absent.
std::optional<std::wstring> Lookup(const std::wstring& block, const std::wstring& name) {
  std::optional<std::wstring> found;
  for (std::size_t at = 0; at < block.size() && block[at] != L'\0';) {
    const std::wstring entry(block.c_str() + at);
    const std::wstring prefix = name + L"=";
    if (CompareStringOrdinal(entry.substr(0, prefix.size()).c_str(), -1, prefix.c_str(), -1,
                             TRUE) == CSTR_EQUAL) {
      EXPECT_FALSE(found) << "variable twice in the block";
      found = entry.substr(prefix.size());
    }
    at += entry.size() + 1;
  }
  return found;
}

struct EnvCase {
  const char* name;
  std::vector<EnvChange> changes;
  const wchar_t* variable;
  std::optional<std::wstring> expected;
};

const EnvCase kEnvCases[] = {
    {"Unchanged", {}, L"QC_DRIVER_PROBE", L"before"},
    {"Replaced", {{L"QC_DRIVER_PROBE", L"after"}}, L"QC_DRIVER_PROBE", L"after"},
    {"ReplacedOtherCase", {{L"qc_driver_probe", L"x"}}, L"QC_DRIVER_PROBE", L"x"},
    {"Removed", {{L"QC_DRIVER_PROBE", std::nullopt}}, L"QC_DRIVER_PROBE", std::nullopt},
    {"RemovedOtherCase", {{L"Qc_Driver_Probe", std::nullopt}}, L"QC_DRIVER_PROBE", std::nullopt},
    {"AddedEmpty", {{L"QC_DRIVER_NEW", L""}}, L"QC_DRIVER_NEW", L""},
    {"LastChangeWins",
     {{L"QC_DRIVER_PROBE", L"one"}, {L"QC_DRIVER_PROBE", L"two"}},
     L"QC_DRIVER_PROBE",
     L"two"},
    {"RemoveLeavesOthers", {{L"QC_DRIVER_NEW", std::nullopt}}, L"QC_DRIVER_PROBE", L"before"},
};

TEST(DriverTest, EnvironmentBlockAppliesChanges) {
  SetEnvironmentVariableW(L"QC_DRIVER_PROBE", L"before");
  for (const EnvCase& c : kEnvCases) {
    SCOPED_TRACE(c.name);
    const std::wstring block = BuildEnvironmentBlock(c.changes);
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block.substr(block.size() - 2), std::wstring(2, L'\0')) << "double terminator";
    EXPECT_EQ(Lookup(block, c.variable), c.expected);
  }
  SetEnvironmentVariableW(L"QC_DRIVER_PROBE", nullptr);
}

}  // namespace
}  // namespace qc::e2e
