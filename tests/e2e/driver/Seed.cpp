// Seeding: the product's registry keys, folders, component files, shortcuts and running
// programs, and the decoys beside them that a cleaning run must not touch.
#include "tests/e2e/driver/Seed.h"

// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <algorithm>
#include <span>

namespace qc::e2e {
namespace {

// Keys as the product leaves them. The same key spelled twice in the cleaner's list (the
// extension in two letter cases, and HKCR's view of HKLM\SOFTWARE\Classes) is seeded once.
const wchar_t* const kTargetKeys[] = {
    L"HKLM\\SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
    L"HKLM\\SOFTWARE\\Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}",
    L"HKLM\\SOFTWARE\\Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}",
    L"HKLM\\SOFTWARE\\Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}",
    L"HKLM\\SOFTWARE\\Classes\\AppID\\DiVudava.exe",
    L"HKLM\\SOFTWARE\\Classes\\AppID\\RiViruzaravo.exe",
    L"HKLM\\SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
    L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}",
    L"HKCR\\Kelvora.DownloadBroker",
    L"HKCR\\Kelvora.DownloadBroker.1",
    L"HKCR\\Kelvora.DownloadBroker.2",
    L"HKCR\\Kelvora.Downloader",
    L"HKCR\\Kelvora.Downloader.1",
    L"HKCR\\Kelvora.Downloader.2",
    // Registered by a user without administrator rights: in the user's own classes.
    L"HKCU\\Software\\Classes\\Kelvora.Downloader",
};

const wchar_t* const kDecoyKeys[] = {
    L"HKLM\\SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F39}",
    L"HKLM\\SOFTWARE\\Classes\\AppID\\DiVudava.exe.old",
    L"HKLM\\SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
    L"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}",
    L"HKCR\\Kelvora.DownloadBroker.3",
    L"HKCR\\Kelvora.DownloaderHelper",
};

// "HKLM32\..." and "HKLM64\..." name a key of HKEY_LOCAL_MACHINE in that registry view.
bool SplitKey(const std::wstring& key, HKEY* root, std::wstring* sub, REGSAM* view) {
  const std::size_t slash = key.find(L'\\');
  const std::wstring hive = key.substr(0, slash);
  *sub = key.substr(slash + 1);
  *view = hive == L"HKLM32" ? KEY_WOW64_32KEY : hive == L"HKLM64" ? KEY_WOW64_64KEY : 0;
  *root = hive == L"HKCR"   ? HKEY_CLASSES_ROOT
          : hive == L"HKCU" ? HKEY_CURRENT_USER
                            : HKEY_LOCAL_MACHINE;
  return hive == L"HKLM" || hive == L"HKCR" || hive == L"HKCU" || *view != 0;
}

bool KeyExists(const std::wstring& key) {
  HKEY root{};
  std::wstring sub;
  REGSAM view = 0;
  HKEY h{};
  if (!SplitKey(key, &root, &sub, &view) ||
      RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ | view, &h) != 0) {
    return false;
  }
  RegCloseKey(h);
  return true;
}

bool CreateKeyWithValue(HKEY root, const std::wstring& sub, REGSAM view,
                        const std::wstring& value) {
  HKEY h{};
  if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &h, nullptr) !=
      0) {
    return false;
  }
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  const LONG rc =
      RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  RegCloseKey(h);
  return rc == 0;
}

// A key with a small subtree below it, so that deleting it needs the whole walk.
bool CreateKeyTree(const std::wstring& key) {
  HKEY root{};
  std::wstring sub;
  REGSAM view = 0;
  if (!SplitKey(key, &root, &sub, &view)) return false;
  return CreateKeyWithValue(root, sub, view, L"seeded") &&
         CreateKeyWithValue(root, sub + L"\\InprocServer32", view, L"C:\\seeded.dll") &&
         CreateKeyWithValue(root, sub + L"\\1.0\\0\\win32", view, L"C:\\seeded.tlb") &&
         CreateKeyWithValue(root, sub + L"\\1.0\\FLAGS", view, L"0");
}

void DeleteKeyTree(const std::wstring& key) {
  HKEY root{};
  std::wstring sub;
  REGSAM view = 0;
  HKEY h{};
  if (!SplitKey(key, &root, &sub, &view)) return;
  if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_ALL_ACCESS | view, &h) == 0) {
    RegDeleteTreeW(h, nullptr);
    RegCloseKey(h);
  }
  RegDeleteKeyExW(root, sub.c_str(), view, 0);
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Upper(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; });
  return s;
}

bool ProcessRunning(const std::wstring& image) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && !found; ok = Process32NextW(snap, &entry)) {
    found = Upper(entry.szExeFile) == Upper(image);
  }
  CloseHandle(snap);
  return found;
}

// The topmost folder of path that does not exist yet; empty when it all exists.
std::wstring FirstMissing(const std::wstring& path) {
  std::wstring missing;
  for (std::wstring p = path; p.size() > 3 && !PathExists(p);) {
    missing = p;
    p = p.substr(0, p.find_last_of(L'\\'));
  }
  return missing;
}

}  // namespace

SeedOptions DefaultSeedOptions() {
  SeedOptions o;
  wchar_t buffer[MAX_PATH]{};
  GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
  o.profile = buffer;
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool nt6 = GetVersionExW(&v) && v.dwMajorVersion == 6 && v.dwPlatformId == 2;
#pragma GCC diagnostic pop
  o.startMenu =
      o.profile + (nt6 ? L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu" : L"\\Start Menu");
  o.idleExe = BesideExe(L"idle.exe");
  o.workFolder = L"C:\\qc-seed-programs";
  return o;
}

void Seeder::Add(TraceKind kind, std::wstring path, bool decoy) {
  traces_.push_back({kind, std::move(path), decoy});
}

bool Seeder::LayDown(std::wstring* error) {
  return SeedRegistry(error) && SeedFolders(error) && SeedShortcuts(error) &&
         (!options_.todaysPc || SeedTodaysPc(error)) &&
         (!options_.processes || SeedProcesses(error));
}

bool Seeder::SeedKeys(std::span<const wchar_t* const> keys, bool decoy, std::wstring* error) {
  for (const wchar_t* key : keys) {
    const bool existed = KeyExists(key);
    if (!existed) createdRoots_.push_back(std::wstring(L"reg:") + key);
    if (!CreateKeyTree(key)) {
      *error = std::wstring(L"cannot create key ") + key;
      return false;
    }
    Add(TraceKind::RegistryKey, key, decoy);
    traces_.back().preexisting = existed;
  }
  return true;
}

bool Seeder::SeedRegistry(std::wstring* error) {
  return SeedKeys(kTargetKeys, false, error) && SeedKeys(kDecoyKeys, true, error);
}

bool Seeder::Track(const std::wstring& path) {
  const std::wstring missing = FirstMissing(path);
  if (!missing.empty()) createdRoots_.push_back(missing);
  return !missing.empty();
}

void Seeder::Remove() {
  running_.clear();  // each owner ends its process
  // Links first, so that no deletion below can reach through one into its target.
  for (const std::wstring& link : links_) RemoveFolderLink(link);
  links_.clear();
  for (auto it = createdRoots_.rbegin(); it != createdRoots_.rend(); ++it) {
    if (it->starts_with(L"reg:")) {
      DeleteKeyTree(it->substr(4));
    } else {
      DeleteTree(*it);
    }
  }
  createdRoots_.clear();
}

bool Seeder::Exists(const Trace& trace) {
  switch (trace.kind) {
    case TraceKind::RegistryKey:
      return KeyExists(trace.path);
    case TraceKind::Folder:
    case TraceKind::File:
      return PathExists(trace.path);
    case TraceKind::Process:
      return ProcessRunning(trace.path);
  }
  return false;
}

}  // namespace qc::e2e
