// The end-to-end driver: child processes, window search, message boxes, controls.
#include "tests/e2e/driver/Driver.h"

#include <utility>

namespace qc::e2e {
namespace {

// The variable name of one "NAME=value" entry; entries such as "=C:=C:\" keep their
// leading '=' as part of the name.
std::wstring EntryName(const std::wstring& entry) {
  const std::size_t eq = entry.find(L'=', 1);
  return eq == std::wstring::npos ? entry : entry.substr(0, eq);
}

std::vector<std::wstring> CurrentEnvironment() {
  std::vector<std::wstring> entries;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return entries;
  for (const wchar_t* p = block; *p != L'\0'; p += entries.back().size() + 1) {
    entries.emplace_back(p);
  }
  FreeEnvironmentStringsW(block);
  return entries;
}

void ApplyChange(std::vector<std::wstring>& entries, const EnvChange& change) {
  std::erase_if(entries, [&](const std::wstring& e) {
    return CompareStringOrdinal(EntryName(e).c_str(), -1, change.name.c_str(), -1, TRUE) ==
           CSTR_EQUAL;
  });
  if (change.value) entries.push_back(change.name + L"=" + *change.value);
}

std::wstring CommandLineFor(const std::wstring& exePath, const LaunchOptions& options) {
  if (options.rawCommandLine) return *options.rawCommandLine;
  std::wstring cmd = L"\"" + exePath + L"\"";
  if (!options.arguments.empty()) cmd += L" " + options.arguments;
  return cmd;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

struct FindTopData {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
  auto* data = reinterpret_cast<FindTopData*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == data->pid) data->out->push_back(hwnd);
  return TRUE;
}

bool IsMessageBox(HWND hwnd) { return ClassName(hwnd) == L"#32770"; }

}  // namespace

// --- Process ---

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      threadId_(std::exchange(other.threadId_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    process_ = std::exchange(other.process_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
    threadId_ = std::exchange(other.threadId_, 0);
  }
  return *this;
}

Process::~Process() { Release(); }

void Process::Release() {
  if (process_ == nullptr) return;
  Kill();
  CloseHandle(process_);
  process_ = nullptr;
}

std::optional<Process> Process::Start(const std::wstring& exePath, const LaunchOptions& options) {
  std::wstring cmd = CommandLineFor(exePath, options);
  std::wstring env = BuildEnvironmentBlock(options.environment);
  const std::wstring dir =
      options.workingDirectory.empty() ? FolderOf(exePath) : options.workingDirectory;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exePath.c_str(), cmd.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, env.data(), dir.empty() ? nullptr : dir.c_str(),
                      &si, &pi)) {
    return std::nullopt;
  }
  CloseHandle(pi.hThread);
  Process p;
  p.process_ = pi.hProcess;
  p.pid_ = pi.dwProcessId;
  p.threadId_ = pi.dwThreadId;
  return p;
}

bool Process::IsRunning() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void Process::Kill() {
  if (!IsRunning()) return;
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 10000);
}

// --- Paths ---

std::wstring ExeDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return FolderOf(path);
    }
    path.resize(path.size() * 2);
  }
}

std::wstring BesideExe(const std::wstring& fileName) { return ExeDirectory() + L"\\" + fileName; }

std::wstring CleanerPath() { return BesideExe(L"QuenzorCleaner.exe"); }

std::optional<Process> StartCleaner(const LaunchOptions& options) {
  return Process::Start(CleanerPath(), options);
}

std::wstring BuildEnvironmentBlock(const std::vector<EnvChange>& changes) {
  std::vector<std::wstring> entries = CurrentEnvironment();
  for (const EnvChange& change : changes) ApplyChange(entries, change);
  std::wstring block;
  for (const std::wstring& e : entries) {
    block += e;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

// --- Top-level windows ---

std::vector<HWND> TopWindowsOf(DWORD pid) {
  std::vector<HWND> out;
  FindTopData data{pid, &out};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&data));
  return out;
}

std::wstring WindowText(HWND hwnd) {
  const int len = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), len + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256]{};
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

HWND FindTopWindow(DWORD pid, const std::wstring& caption) {
  for (HWND hwnd : TopWindowsOf(pid)) {
    if (WindowText(hwnd) == caption) return hwnd;
  }
  return nullptr;
}

HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopWindow(pid, caption);
        return found != nullptr && IsWindowVisible(found);
      },
      timeoutMs);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, const std::wstring& title) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopWindowsOf(pid)) {
          if (IsMessageBox(w) && IsWindowVisible(w) && (title.empty() || WindowText(w) == title)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

// --- Message boxes ---

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.title = WindowText(box);
  // The message text is the static control with the id 0xFFFF.
  HWND text = GetDlgItem(box, 0xFFFF);
  if (text != nullptr) info.text = WindowText(text);
  for (HWND child : ChildrenOf(box)) {
    if (CompareStringOrdinal(ClassName(child).c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL &&
        IsWindowVisible(child)) {
      info.buttons.push_back(WindowText(child));
    }
  }
  return info;
}

}  // namespace qc::e2e
