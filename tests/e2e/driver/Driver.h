// A small UI-automation driver for the end-to-end tests: starts the cleaner as a child
// process, finds its windows, reads message boxes and list boxes, presses buttons, and
// takes screenshots. Test code only; wide strings throughout, as the Win32 calls want.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qc::e2e {

// One change to the child's environment: a value sets the variable, none removes it.
struct EnvChange {
  std::wstring name;
  std::optional<std::wstring> value;
};

// How to start a program: the argument text goes after the quoted program path and one
// blank; a raw command line, when given, is passed to the child exactly as written.
struct LaunchOptions {
  std::wstring arguments{};
  std::optional<std::wstring> rawCommandLine{};
  std::vector<EnvChange> environment{};
  std::wstring workingDirectory{};  // empty: the folder of the program
};

// A process this test started and owns: it is killed when the owner goes out of scope.
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  // Starts exePath; an empty result when CreateProcessW failed.
  static std::optional<Process> Start(const std::wstring& exePath, const LaunchOptions& options);

  DWORD pid() const { return pid_; }
  DWORD threadId() const { return threadId_; }
  HANDLE handle() const { return process_; }
  bool IsRunning() const;
  // The exit code once the process has ended within timeoutMs; empty while it runs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
  // Ends the process (if still running) and waits for it to be gone.
  void Kill();

 private:
  void Release();
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD threadId_ = 0;
};

// --- Paths ---
std::wstring ExeDirectory();  // folder of the running test program, with no trailing slash
std::wstring CleanerPath();   // QuenzorCleaner.exe beside the test program
std::wstring BesideExe(const std::wstring& fileName);
std::optional<Process> StartCleaner(const LaunchOptions& options);
// The full child environment block for a set of changes (for tests of the driver).
std::wstring BuildEnvironmentBlock(const std::vector<EnvChange>& changes);

// --- Top-level windows ---
std::vector<HWND> TopWindowsOf(DWORD pid);  // every top-level window of the process
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// The first top-level window of pid with this caption, or nullptr.
HWND FindTopWindow(DWORD pid, const std::wstring& caption);
// Waits up to timeoutMs for a VISIBLE top-level window of pid with this caption.
HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeoutMs);
// Waits for a visible message box (#32770) of pid; with a title, only that one.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, const std::wstring& title = L"");

// --- Message boxes ---
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
  std::vector<std::wstring> buttons;  // captions, in window order
};
MessageBoxInfo ReadMessageBox(HWND box);

// --- Controls ---
std::vector<HWND> ChildrenOf(HWND parent);  // direct children, in z (creation) order
// The first direct child of this class (case-insensitive) whose caption matches; an
// empty caption matches any.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& caption = L"");
// The first direct child of this class (an empty class matches any) whose rectangle in
// the parent's client area contains the point.
HWND FindChildAt(HWND parent, const std::wstring& className, POINT clientPoint);
// Posts BM_CLICK to the push button with this caption; false when there is none.
bool PressButton(HWND parent, const std::wstring& caption);
std::vector<std::wstring> ListBoxLines(HWND listBox);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);
HWND FocusOf(DWORD threadId);  // the focus window of that GUI thread, or nullptr
SIZE ClientSize(HWND hwnd);
RECT RectInParent(HWND child);  // the child's window rectangle in its parent's client area
// Closes the window as the close button does (WM_SYSCOMMAND SC_CLOSE) or by WM_CLOSE.
void PostClose(HWND hwnd, bool viaSysCommand);
// Presses and releases one key through the system's keyboard input (SendInput), as a
// user would, with Alt held around it when asked; it goes to the foreground window.
bool TypeKey(WORD vk, bool alt = false);

// --- Pictures ---
// Writes a 24-bit BMP of the window (PrintWindow, else the screen) to path.
bool SaveScreenshot(HWND hwnd, const std::wstring& path);

// Polls pred every few milliseconds until it holds or timeoutMs passes.
template <typename Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (pred()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

}  // namespace qc::e2e
