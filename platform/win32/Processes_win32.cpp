// Listing and ending processes on Windows.
#include "platform/win32/Processes_win32.h"

// windows.h first: the other Windows headers build on its types.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>
#include <wbemcli.h>
#include <wrl/client.h>
// clang-format on

#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Utf.h"

namespace qc::win {

using Microsoft::WRL::ComPtr;

namespace {

UniqueBstr Bstr(const wchar_t* text) { return UniqueBstr(SysAllocString(text)); }

// WMI acts as the calling user. An in-process provider has no proxy to configure,
// which COM reports as E_NOINTERFACE; that is not a failure.
bool Impersonate(IUnknown* proxy) {
  const HRESULT hr =
      CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return SUCCEEDED(hr) || hr == E_NOINTERFACE;
}

ComPtr<IWbemServices> ConnectWmi(const std::wstring& wmiNamespace) {
  ComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&locator)))) {
    return nullptr;
  }
  const UniqueBstr path = Bstr(wmiNamespace.c_str());
  ComPtr<IWbemServices> services;
  if (!path || FAILED(locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr,
                                             nullptr, &services))) {
    return nullptr;
  }
  if (!Impersonate(services.Get())) return nullptr;
  return services;
}

std::optional<std::uint32_t> ReadUint32(IWbemClassObject* object, const wchar_t* property) {
  UniqueVariant value;
  if (FAILED(object->Get(property, 0, value.put(), nullptr, nullptr))) return std::nullopt;
  switch (value.get().vt) {
    case VT_I4:
      return std::uint32_t(value.get().lVal);
    case VT_UI4:
      return std::uint32_t(value.get().ulVal);
    default:
      return std::nullopt;
  }
}

std::optional<std::string> ReadString(IWbemClassObject* object, const wchar_t* property) {
  UniqueVariant value;
  if (FAILED(object->Get(property, 0, value.put(), nullptr, nullptr))) return std::nullopt;
  if (value.get().vt != VT_BSTR) return std::nullopt;
  const BSTR text = value.get().bstrVal;
  return ToUtf8(std::wstring_view(text, SysStringLen(text)));
}

// A process without a readable id could not be ended, nor could one without a name be
// matched: either makes the whole WMI list unfit, and the snapshot is used instead.
std::optional<ProcessInfo> ReadProcess(IWbemClassObject* object) {
  const auto id = ReadUint32(object, L"ProcessId");
  auto name = ReadString(object, L"Name");
  if (!id || !name) return std::nullopt;
  return ProcessInfo{*id, std::move(*name)};
}

ComPtr<IEnumWbemClassObject> QueryAllProcesses(IWbemServices* services) {
  const UniqueBstr language = Bstr(L"WQL");
  const UniqueBstr query = Bstr(L"Select * from Win32_Process");
  ComPtr<IEnumWbemClassObject> rows;
  if (!language || !query ||
      FAILED(services->ExecQuery(language.get(), query.get(),
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 &rows)) ||
      !Impersonate(rows.Get())) {
    return nullptr;
  }
  return rows;
}

std::optional<std::vector<ProcessInfo>> WmiProcesses(IWbemServices* services) {
  const ComPtr<IEnumWbemClassObject> rows = QueryAllProcesses(services);
  if (!rows) return std::nullopt;
  std::vector<ProcessInfo> processes;
  for (;;) {
    ComPtr<IWbemClassObject> row;
    ULONG returned = 0;
    // The caller's bound covers the whole listing; this thread is abandoned past it.
    const HRESULT hr = rows->Next(WBEM_INFINITE, 1, &row, &returned);
    if (hr == WBEM_S_FALSE && returned == 0) return processes;
    if (hr != WBEM_S_NO_ERROR || returned != 1) return std::nullopt;  // failed or timed out
    auto process = ReadProcess(row.Get());
    if (!process) return std::nullopt;
    processes.push_back(std::move(*process));
  }
}

std::optional<std::vector<ProcessInfo>> SnapshotProcesses() {
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  // The list can never be empty: this program itself is running.
  if (!Process32FirstW(snapshot.get(), &entry)) return std::nullopt;
  std::vector<ProcessInfo> processes;
  do {
    processes.push_back({entry.th32ProcessID, ToUtf8(entry.szExeFile)});
  } while (Process32NextW(snapshot.get(), &entry));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return processes;
}

// The in-parameters of Win32_Process.Terminate, left at their defaults; nullptr when
// the provider does not describe the method.
ComPtr<IWbemClassObject> TerminateInParameters(IWbemServices* services) {
  const UniqueBstr className = Bstr(L"Win32_Process");
  ComPtr<IWbemClassObject> processClass;
  ComPtr<IWbemClassObject> definition;
  ComPtr<IWbemClassObject> parameters;
  if (!className ||
      FAILED(services->GetObject(className.get(), 0, nullptr, &processClass, nullptr)) ||
      FAILED(processClass->GetMethod(L"Terminate", 0, &definition, nullptr)) || !definition ||
      FAILED(definition->SpawnInstance(0, &parameters))) {
    return nullptr;
  }
  return parameters;
}

// Whether the process has gone is judged by waiting on its handle, not by the method's
// ReturnValue: a method that returns 0 has only promised to end it.
void AskWmiToTerminate(IWbemServices* services, std::uint32_t id) {
  const ComPtr<IWbemClassObject> in = TerminateInParameters(services);
  if (!in) return;
  const std::wstring objectPath = L"Win32_Process.Handle=\"" + std::to_wstring(id) + L"\"";
  const UniqueBstr path = Bstr(objectPath.c_str());
  const UniqueBstr method = Bstr(L"Terminate");
  ComPtr<IWbemClassObject> out;
  if (path && method) {
    services->ExecMethod(path.get(), method.get(), 0, nullptr, in.Get(), &out, nullptr);
  }
}

// Work done with a WMI connection of its own, on a thread of its own.
class WmiJob {
 public:
  virtual ~WmiJob() = default;
  // services is null when WMI cannot be reached.
  virtual void Run(IWbemServices* services) = 0;
};

struct WmiThreadStart {
  std::shared_ptr<WmiJob> job;
  std::wstring wmiNamespace;
};

DWORD WINAPI RunWmiJob(void* parameter) {
  const std::unique_ptr<WmiThreadStart> start(static_cast<WmiThreadStart*>(parameter));
  try {
    // Declared first, left last: the connection is released inside the apartment.
    ComApartment com(COINIT_MULTITHREADED);
    ComPtr<IWbemServices> services;
    if (com.ok()) services = ConnectWmi(start->wmiNamespace);
    start->job->Run(services.Get());
  } catch (...) {
    // Out of memory on this thread: the job's result stays empty, as when WMI fails.
  }
  return 0;
}

// WMI can hang instead of failing (a damaged repository, a stuck service), so every call
// runs on a thread that is waited for at most timeoutMs. A thread that overruns is left
// behind: it shares the job, which lives until the thread is done with it, and nothing
// of it is read. True when the job finished in time.
bool RunWithinBound(const std::shared_ptr<WmiJob>& job, const std::wstring& wmiNamespace,
                    DWORD timeoutMs) {
  auto start = std::make_unique<WmiThreadStart>(WmiThreadStart{job, wmiNamespace});
  const UniqueHandle thread(CreateThread(nullptr, 0, RunWmiJob, start.get(), 0, nullptr));
  if (!thread) return false;
  start.release();  // the thread owns it now
  return WaitForSingleObject(thread.get(), timeoutMs) == WAIT_OBJECT_0;
}

class WmiListing final : public WmiJob {
 public:
  void Run(IWbemServices* services) override {
    if (services != nullptr) processes = WmiProcesses(services);
  }
  std::optional<std::vector<ProcessInfo>> processes;
};

// The job owns a handle of its own to the target: a job that overruns its bound may still
// hand WMI the id later, and while the handle lives that id cannot pass to another process.
class WmiTermination final : public WmiJob {
 public:
  WmiTermination(std::uint32_t id, UniqueHandle process) : id_(id), process_(std::move(process)) {}
  void Run(IWbemServices* services) override {
    if (services != nullptr) AskWmiToTerminate(services, id_);
  }

 private:
  std::uint32_t id_;
  UniqueHandle process_;
};

// A target held by its handle. The handle keeps the id from passing to another process
// and is what the process is ended, waited on and named through.
class HeldProcess final : public IHeldProcess {
 public:
  std::uint32_t id = 0;
  UniqueHandle handle;
  bool mayTerminate = false;
  bool mayQuery = false;        // the handle may read the image's path
  bool goneBeforeHeld = false;  // no process had the id any more when it was held
};

using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);

// From Vista on; looked up, as XP lacks it.
QueryImageFn QueryFullImageName() {
  static const auto query =
      SystemFunction<QueryImageFn>(L"kernel32.dll", "QueryFullProcessImageNameW");
  return query;
}

// The right to read the image's path: the limited one where Windows has it, since it is
// granted where the full one is not; XP refuses it and knows only the full one.
DWORD QueryRight() {
  constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, Vista on
  return QueryFullImageName() != nullptr ? kQueryLimited : PROCESS_QUERY_INFORMATION;
}

// XP: the native call, which gives the device path ("\Device\HarddiskVolume1\...").
std::optional<std::string> NativeImagePath(HANDLE process) {
  using Fn = LONG(NTAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
  const auto query = SystemFunction<Fn>(L"ntdll.dll", "NtQueryInformationProcess");
  constexpr ULONG kProcessImageFileName = 27;
  // Room for the longest path after the string's header, aligned as the header needs.
  std::vector<UNICODE_STRING> buffer(1 + 65536 / sizeof(UNICODE_STRING));
  const auto size = ULONG(buffer.size() * sizeof(UNICODE_STRING));
  ULONG written = 0;
  if (query == nullptr ||
      query(process, kProcessImageFileName, buffer.data(), size, &written) < 0) {
    return std::nullopt;
  }
  return ToUtf8(std::wstring_view(buffer[0].Buffer, buffer[0].Length / sizeof(wchar_t)));
}

std::optional<std::string> ImagePathOf(HANDLE process) {
  const QueryImageFn query = QueryFullImageName();
  if (query == nullptr) return NativeImagePath(process);
  std::wstring path(32768, L'\0');
  DWORD size = DWORD(path.size());
  if (!query(process, 0, path.data(), &size)) return std::nullopt;
  path.resize(size);
  return ToUtf8(path);
}

// The most rights first; each refused one is dropped, so a process this run may not end
// can still be watched while WMI is asked to end it, and named where that is allowed.
std::unique_ptr<HeldProcess> OpenForEnding(std::uint32_t id) {
  auto held = std::make_unique<HeldProcess>();
  held->id = id;
  const DWORD query = QueryRight();
  const DWORD tries[] = {SYNCHRONIZE | PROCESS_TERMINATE | query, SYNCHRONIZE | PROCESS_TERMINATE,
                         SYNCHRONIZE | query, SYNCHRONIZE};
  DWORD error = ERROR_ACCESS_DENIED;
  for (const DWORD access : tries) {
    held->handle.reset(OpenProcess(access, FALSE, id));
    if (held->handle) {
      held->mayTerminate = (access & PROCESS_TERMINATE) != 0;
      held->mayQuery = (access & query) != 0;
      return held;
    }
    error = GetLastError();
    if (error != ERROR_ACCESS_DENIED) break;
  }
  held->goneBeforeHeld = error == ERROR_INVALID_PARAMETER;
  return held;
}

bool HasExited(HANDLE process, DWORD waitMs) {
  return WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
}

}  // namespace

Win32Processes::Win32Processes(std::wstring wmiNamespace)
    : wmiNamespace_(std::move(wmiNamespace)) {}

std::optional<std::vector<ProcessInfo>> Win32Processes::ListThroughWmi(std::uint32_t timeoutMs) {
  if (wmiUnreachable_) return std::nullopt;
  const auto listing = std::make_shared<WmiListing>();
  if (RunWithinBound(listing, wmiNamespace_, timeoutMs) && listing->processes) {
    return std::move(listing->processes);
  }
  // Unreachable, failed or hung: not asked again by this run, not even to end a process.
  wmiUnreachable_ = true;
  return std::nullopt;
}

std::optional<std::vector<ProcessInfo>> Win32Processes::ListThroughSnapshot() {
  return SnapshotProcesses();
}

std::unique_ptr<IHeldProcess> Win32Processes::Hold(const ProcessInfo& process) {
  return OpenForEnding(process.id);
}

std::optional<std::string> Win32Processes::ImagePath(IHeldProcess& process) {
  auto* held = dynamic_cast<HeldProcess*>(&process);
  if (held == nullptr || !held->handle || !held->mayQuery) return std::nullopt;
  return ImagePathOf(held->handle.get());
}

void Win32Processes::RequestEnd(IHeldProcess& process, std::uint32_t wmiBoundMs) {
  auto* held = dynamic_cast<HeldProcess*>(&process);
  if (held == nullptr || !held->handle || HasExited(held->handle.get(), 0)) return;
  if (held->mayTerminate) {
    TerminateProcess(held->handle.get(), 1);
    return;
  }
  // The id is safe to name while a handle is held: it cannot be reused meanwhile.
  UniqueHandle pin;
  if (wmiUnreachable_ ||
      !DuplicateHandle(GetCurrentProcess(), held->handle.get(), GetCurrentProcess(), pin.put(), 0,
                       FALSE, DUPLICATE_SAME_ACCESS)) {
    return;
  }
  if (!RunWithinBound(std::make_shared<WmiTermination>(held->id, std::move(pin)), wmiNamespace_,
                      wmiBoundMs)) {
    wmiUnreachable_ = true;  // the other targets are not made to wait for it as well
  }
}

std::vector<bool> Win32Processes::WaitForEnd(std::span<IHeldProcess* const> processes,
                                             std::uint32_t timeoutMs) {
  // One bound for the whole set: each wait gets only what is left of it. GetTickCount
  // wraps after 49 days, which unsigned subtraction absorbs.
  const DWORD start = GetTickCount();
  std::vector<bool> ended;
  for (IHeldProcess* process : processes) {
    auto* held = dynamic_cast<HeldProcess*>(process);
    if (held == nullptr || !held->handle) {
      ended.push_back(held != nullptr && held->goneBeforeHeld);
      continue;
    }
    const DWORD elapsed = GetTickCount() - start;
    ended.push_back(HasExited(held->handle.get(), elapsed >= timeoutMs ? 0 : timeoutMs - elapsed));
  }
  return ended;
}

}  // namespace qc::win
