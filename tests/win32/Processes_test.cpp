// The process adapter and the process stage against real processes: renamed copies of
// the idle program play the targets and the near misses.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "base/AsciiCase.h"
#include "fakes/FakeResults.h"
#include "platform/win32/Owners.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Utf.h"
#include "processes/TargetProcesses.h"
#include "win32/NewerApi.h"
#include "win32/TempFolder.h"
#include "win32/WineAppDefault.h"

namespace qc::win {
namespace {

// A namespace no WMI has: connecting fails, as on a PC with a damaged repository.
constexpr const wchar_t* kMissingNamespace = L"\\\\.\\root\\qcnosuchnamespace";

std::wstring ExeFolder() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
  path.resize(n);
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring EnvironmentValue(const wchar_t* name) {
  std::wstring value(32767, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), DWORD(value.size())));
  return value;
}

struct Child {
  std::string name;
  DWORD id = 0;
  UniqueHandle process;
  bool Running() const { return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
};

// Forwards to the real adapter; records what the stage asked of it and how it listed.
class Recorder final : public IProcesses {
 public:
  explicit Recorder(IProcesses& inner) : inner_(inner) {}
  std::optional<std::vector<ProcessInfo>> ListThroughWmi(std::uint32_t ms) override {
    return Listed(inner_.ListThroughWmi(ms), "WMI");
  }
  std::optional<std::vector<ProcessInfo>> ListThroughSnapshot() override {
    return Listed(inner_.ListThroughSnapshot(), "Tool Help");
  }
  std::unique_ptr<IHeldProcess> Hold(const ProcessInfo& p) override {
    terminated.push_back(p.id);
    return inner_.Hold(p);
  }
  std::optional<std::string> ImagePath(IHeldProcess& p) override { return inner_.ImagePath(p); }
  void RequestEnd(IHeldProcess& p, std::uint32_t ms) override { inner_.RequestEnd(p, ms); }
  std::vector<bool> WaitForEnd(std::span<IHeldProcess* const> p, std::uint32_t ms) override {
    return inner_.WaitForEnd(p, ms);
  }
  std::vector<std::uint32_t> terminated;
  std::string listing;  // how the last listing reached the processes; empty: it failed

 private:
  std::optional<std::vector<ProcessInfo>> Listed(std::optional<std::vector<ProcessInfo>> found,
                                                 const char* way) {
    listing = found ? way : "";
    return found;
  }
  IProcesses& inner_;
};

// Ends one process the way the stage does: held, asked, waited for.
bool EndOne(IProcesses& processes, const ProcessInfo& process) {
  const std::unique_ptr<IHeldProcess> held = processes.Hold(process);
  processes.RequestEnd(*held, kWmiEndBoundMs);
  IHeldProcess* const all[] = {held.get()};
  return processes.WaitForEnd(all, 5000).at(0);
}

struct Started {
  const char* name;
  const char* line;  // nullptr: a near miss that must survive
};

class ProcessesOnWine : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    folder_ = ToW(root_);
  }

  // Every process this test started is ended here, whatever the test did to it.
  void TearDown() override {
    for (Child& c : children_) {
      if (c.Running()) TerminateProcess(c.process.get(), 0);
      WaitForSingleObject(c.process.get(), 5000);
    }
    children_.clear();
    TempFolderTest::TearDown();
  }

  void EndCast(std::span<const Started> cast, IProcesses& adapter, const char* listing);

  // Starts a copy of the idle program under the given file name.
  Child& Start(const std::string& name) {
    const std::wstring path = folder_ + L"\\" + ToW(name);
    if (!Exists(ToUtf8(path))) {
      EXPECT_TRUE(CopyFileW((ExeFolder() + L"\\idle.exe").c_str(), path.c_str(), TRUE)) << name;
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + path + L"\"";
    EXPECT_TRUE(CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &si, &pi))
        << name << " error " << GetLastError();
    UniqueHandle thread(pi.hThread);
    children_.push_back({name, pi.dwProcessId, UniqueHandle(pi.hProcess)});
    return children_.back();
  }

  std::wstring folder_;
  std::vector<Child> children_;
};

const Started kCast[] = {
    {"KvAgent.exe", "Process Terminated: Kelvora Quenzor Plexarium"}, {"XKVAGENT.EXE", nullptr},
    {"iexplore.EXE", "Process Terminated: Internet Explorer"},        {"KVAGENTS.EXE", nullptr},
    {"kvRDP.exe", "Process Terminated: Kelvora Quenzor Farlumen"},    {"KVAGENT.EXE.EXE", nullptr},
    {"iexplore.EXE", "Process Terminated: Internet Explorer"},  // a second one
    {"KVEMUX.exe", "Process Terminated: Kelvora Quenzor Ondrevis"},   {"iexplorer.exe", nullptr},
    {"kvassist.Exe", "Process Terminated: Kelvora Quenzor Helvarin"},
};

// Starts the cast and runs the stage through the adapter: exactly the targets end, with
// their lines (in the system's order), and the near misses run on.
void ProcessesOnWine::EndCast(std::span<const Started> cast, IProcesses& adapter,
                              const char* listing) {
  std::vector<std::string> lines;
  std::vector<std::uint32_t> ids;
  for (const Started& s : cast) {
    const Child& child = Start(s.name);
    if (s.line) lines.push_back(s.line);
    if (s.line) ids.push_back(child.id);
  }
  Recorder recorder(adapter);
  test::RecordingSink list;
  EXPECT_EQ(TerminateTargetProcesses(recorder, list), ProcessSearch::Found);
  EXPECT_EQ(recorder.listing, listing);
  for (auto* v : {&list.lines, &lines}) std::sort(v->begin(), v->end());
  for (auto* v : {&recorder.terminated, &ids}) std::sort(v->begin(), v->end());
  EXPECT_EQ(list.lines, lines);
  EXPECT_EQ(recorder.terminated, ids);
  for (std::size_t i = 0; i < cast.size(); ++i) {
    EXPECT_EQ(children_[i].Running(), cast[i].line == nullptr) << cast[i].name;
  }
}

TEST_F(ProcessesOnWine, StageEndsExactlyTheTargetsThroughEitherListing) {
  for (const auto& [wmiNamespace, listing] :
       {std::pair{kLocalCimv2, "WMI"}, std::pair{kMissingNamespace, "Tool Help"}}) {
    SCOPED_TRACE(ToUtf8(wmiNamespace));
    TearDown();
    SetUp();
    Win32Processes adapter(wmiNamespace);
    EndCast(kCast, adapter, listing);
  }
}

TEST_F(ProcessesOnWine, ListingNamesThisProgramInEveryApartment) {
  const struct {
    const char* what;
    const wchar_t* wmiNamespace;
    int apartment;  // -1: COM left uninitialised on this thread
    const char* listing;
  } cases[] = {
      {"no COM", kLocalCimv2, -1, "WMI"},
      {"single-threaded", kLocalCimv2, COINIT_APARTMENTTHREADED, "WMI"},
      {"multi-threaded", kLocalCimv2, COINIT_MULTITHREADED, "WMI"},
      {"WMI unreachable", kMissingNamespace, COINIT_APARTMENTTHREADED, "Tool Help"},
  };
  for (const auto& c : cases) {
    std::optional<ComApartment> com;
    if (c.apartment >= 0) com.emplace(DWORD(c.apartment));
    Win32Processes adapter(c.wmiNamespace);
    Recorder recorder(adapter);
    const auto processes = ListRunningProcesses(recorder);
    ASSERT_TRUE(processes.has_value()) << c.what;
    EXPECT_EQ(recorder.listing, c.listing) << c.what;
    const auto self = std::find_if(processes->begin(), processes->end(), [](const ProcessInfo& p) {
      return p.id == GetCurrentProcessId();
    });
    ASSERT_NE(self, processes->end()) << c.what;
    EXPECT_EQ(ToUpperAscii(self->name), "WIN32_TESTS.EXE") << c.what;
  }
}

TEST_F(ProcessesOnWine, WmiPastItsBoundIsLeftBehindAndTheSnapshotEndsTheTargets) {
  Win32Processes adapter;
  // No WMI connection is made in no time: the listing is left to its thread, not awaited.
  EXPECT_FALSE(adapter.ListThroughWmi(0).has_value());
  // A WMI that overran once is not asked again, not even with its whole bound.
  EXPECT_FALSE(adapter.ListThroughWmi(kWmiListingBoundMs).has_value());
  const Child& target = Start("KVAGENT.EXE");
  test::RecordingSink list;
  Recorder recorder(adapter);
  EXPECT_EQ(TerminateTargetProcesses(recorder, list), ProcessSearch::Found);
  EXPECT_EQ(recorder.listing, "Tool Help");
  EXPECT_EQ(list.lines, std::vector<std::string>{"Process Terminated: Kelvora Quenzor Plexarium"});
  EXPECT_FALSE(target.Running());
}

// Through either adapter a running target ends, and one already gone counts as ended.
TEST_F(ProcessesOnWine, TerminateWithoutListingFirstEndsTheProcessAndAGoneOneCountsAsEnded) {
  const DWORD gone = Start("KVAGENT.EXE").id;
  ASSERT_TRUE(TerminateProcess(children_[0].process.get(), 7));
  ASSERT_EQ(WaitForSingleObject(children_[0].process.get(), 5000), WAIT_OBJECT_0);
  for (const wchar_t* ns : {kLocalCimv2, kMissingNamespace}) {
    Win32Processes adapter(ns);
    EXPECT_TRUE(EndOne(adapter, {gone, "KVAGENT.EXE"})) << "exited, handle still held here";
    EXPECT_TRUE(EndOne(adapter, {0xFFFFFFF0u, "KVAGENT.EXE"})) << "no such id";
    const Child& child = Start("KVASSIST.EXE");
    EXPECT_TRUE(EndOne(adapter, {child.id, child.name}));
    EXPECT_FALSE(child.Running());
  }
  // The process kept its own exit code: nothing ended it a second time.
  DWORD code = 0;
  GetExitCodeProcess(children_[0].process.get(), &code);
  EXPECT_EQ(code, 7u);
}

TEST_F(ProcessesOnWine, TargetsEndTogetherAndStuckOnesShareOneBound) {
  const char* const names[] = {"KVAGENT.EXE", "decoy1.exe", "KVRDP.EXE", "decoy2.exe",
                               "decoy3.exe"};
  for (const char* name : names) Start(name);
  Win32Processes adapter(kMissingNamespace);
  std::vector<std::unique_ptr<IHeldProcess>> held;
  std::vector<IHeldProcess*> all;
  for (const Child& child : children_) {
    held.push_back(adapter.Hold({child.id, child.name}));
    all.push_back(held.back().get());
    if (child.name.starts_with("KV")) adapter.RequestEnd(*held.back(), kWmiEndBoundMs);
  }
  const DWORD start = GetTickCount();
  const std::vector<bool> ended = adapter.WaitForEnd(all, 1000);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(ended, (std::vector<bool>{true, false, true, false, false}));
  // Three processes that never end cost the one bound, not one bound each.
  EXPECT_GE(elapsed, 900u);
  EXPECT_LT(elapsed, 2000u);
  for (std::size_t i = 0; i < std::size(names); ++i) {
    EXPECT_EQ(children_[i].Running(), !ended[i]) << names[i];
  }
}

// Run in a child process that Wine starts with its WMI provider switched off, so that
// creating the WMI locator itself fails; the parent test below starts it.
TEST_F(ProcessesOnWine, DISABLED_ChildWithoutWmiEndsTheTargets) {
  Win32Processes adapter;
  EndCast(std::span(kCast).first(4), adapter, "Tool Help");
  const std::wstring marker = EnvironmentValue(L"QC_PROCESS_CHILD_MARKER");
  if (!HasFailure() && !marker.empty()) {
    UniqueHandle file(
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  }
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(ProcessesOnWine, FallbackEndsTheTargetsWhenWmiIsSwitchedOff) {
  if (!RunningUnderWine()) GTEST_SKIP() << "switches WMI off through a Wine DLL override";
  // A copy of this program under its own name, with the idle program beside it.
  const std::wstring childName = L"qc-nowmi-child.exe";
  const std::wstring child = folder_ + L"\\" + childName;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const auto& [from, to] : {std::pair{std::wstring(self), child},
                                 std::pair{ExeFolder() + L"\\idle.exe", folder_ + L"\\idle.exe"}}) {
    ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), TRUE));
  }
  const WineAppDefault noWmi(childName, kWithoutWmi, L"wbemprox", L"");
  ASSERT_TRUE(noWmi.ok());

  const std::wstring marker = folder_ + L"\\child-passed";
  SetEnvironmentVariableW(L"QC_PROCESS_CHILD_MARKER", marker.c_str());
  std::wstring commandLine =
      L"\"" + child +
      L"\" --gtest_also_run_disabled_tests "
      L"--gtest_filter=ProcessesOnWine.DISABLED_ChildWithoutWmiEndsTheTargets";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(child.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(L"QC_PROCESS_CHILD_MARKER", nullptr);
  ASSERT_TRUE(started) << GetLastError();
  UniqueHandle thread(pi.hThread);
  children_.push_back({"child", pi.dwProcessId, UniqueHandle(pi.hProcess)});
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  // Proves the child ran its checks to the end, not merely that it exited with 0.
  EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qc::win
