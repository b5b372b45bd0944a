// Seeding: folders, files, shell links and processes, and the teardown of the seed.
#include <shlobj.h>
#include <wrl/client.h>

#include <fstream>
#include <iterator>

#include "tests/e2e/driver/ProductTraces.h"
#include "tests/e2e/driver/Seed.h"
#include "tests/e2e/driver/TestedWindows.h"

namespace qc::e2e {
namespace {

constexpr wchar_t kAgentPath[] = L"C:\\Kelvora Quenzor 6.1\\KVAGENT.EXE";
constexpr wchar_t kNotepad[] = L"C:\\windows\\notepad.exe";

constexpr wchar_t kDownloads[] = L"C:\\Windows\\Downloaded Program Files";
const wchar_t* const kComponentFiles[] = {L"RiViruzaravo.exe", L"RiViruzaravo.dll",
                                          L"RiViruzaravo.inf", L"DuZide.exe", L"DiVudava.exe"};
const wchar_t* const kTargetImages[] = {L"IEXPLORE.EXE", L"KVRDP.EXE", L"KVEMUX.EXE",
                                        L"KVAGENT.EXE", L"KVASSIST.EXE"};
const wchar_t* const kDecoyImages[] = {L"KVAGENT2.EXE", L"XIEXPLORE.EXE", L"KVRDP.EXE.EXE",
                                       L"KVEMU.EXE"};

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// A folder with the kinds of content a delete must get through: nested folders and
// read-only, hidden and system files.
bool FillProductFolder(const std::wstring& f) {
  return WriteTextFile(f + L"\\readme.txt", "product file\r\n") &&
         WriteTextFile(f + L"\\KVAGENT.EXE", "MZ agent") &&
         WriteTextFile(f + L"\\hidden.dat", "h", FILE_ATTRIBUTE_HIDDEN) &&
         WriteTextFile(f + L"\\system.dat", "s", FILE_ATTRIBUTE_SYSTEM) &&
         WriteTextFile(f + L"\\readonly.dat", "r", FILE_ATTRIBUTE_READONLY) &&
         WriteTextFile(f + L"\\Data\\Cache\\entry.bin", "cache") &&
         WriteTextFile(f + L"\\Data\\settings.ini", "[x]\r\n",
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

}  // namespace

bool MakeFolders(const std::wstring& path) {
  if (path.size() <= 3 || PathExists(path)) return true;
  if (!MakeFolders(Parent(path))) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring DownloadsFolder() {
  wchar_t profile[MAX_PATH]{};
  GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  const std::wstring folder = std::wstring(profile) + L"\\Downloads";
  MakeFolders(folder);
  return folder;
}

bool WriteTextFile(const std::wstring& path, const std::string& content, DWORD attributes) {
  if (!MakeFolders(Parent(path))) return false;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) return false;
  }
  return attributes == 0 || SetFileAttributesW(path.c_str(), attributes);
}

void DeleteTree(const std::wstring& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attrs & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DeleteFileW(path.c_str());
    return;
  }
  // Never walk into a link: only the link itself goes.
  if ((attrs & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
    for (BOOL ok = find != INVALID_HANDLE_VALUE; ok; ok = FindNextFileW(find, &fd)) {
      const std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") DeleteTree(path + L"\\" + name);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target,
                  const std::wstring& arguments) {
  ComScope com;
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  if (FAILED(
          CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(arguments.c_str()))) {
    return false;
  }
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file)) || !MakeFolders(Parent(linkPath))) return false;
  return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool FileHoldsAscii(const std::wstring& path, const std::string& text) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto upper = [](std::string s) {
    for (char& c : s) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return s;
  };
  return upper(bytes).find(upper(text)) != std::string::npos;
}

bool Seeder::SeedFolder(const std::wstring& folder, bool decoy) {
  const bool created = Track(folder);
  if (!FillProductFolder(folder)) return false;
  Add(TraceKind::Folder, folder, decoy);
  traces_.back().preexisting = !created;
  return true;
}

bool Seeder::AddDecoyFolder(const std::wstring& folder, std::wstring* error) {
  if (SeedFolder(folder, true)) return true;
  *error = L"cannot fill folder " + folder;
  return false;
}

bool Seeder::SeedFolders(std::wstring* error) {
  std::vector<std::pair<std::wstring, bool>> folders;
  for (const std::wstring& f : kInstallFolders) folders.emplace_back(f, false);
  for (const std::wstring& f : kProfileSuffixes) folders.emplace_back(options_.profile + f, false);
  // Other versions, a sibling of the maker's folder and the user's own documents stay.
  folders.emplace_back(L"C:\\Kelvora Quenzor 5.2", true);
  folders.emplace_back(L"C:\\Program Files\\Norvane Software\\Kelvora Quenzor 5.2", true);
  folders.emplace_back(options_.profile + L"\\Norvane Backup", true);
  folders.emplace_back(options_.profile + L"\\Documents\\Quenzor notes", true);
  for (const auto& [folder, decoy] : folders) {
    if (!SeedFolder(folder, decoy)) {
      *error = L"cannot fill folder " + folder;
      return false;
    }
  }
  for (const wchar_t* name : kComponentFiles) {
    const std::wstring path = std::wstring(kDownloads) + L"\\" + name;
    Track(path);
    if (!WriteTextFile(path, "component", FILE_ATTRIBUTE_ARCHIVE)) {
      *error = L"cannot write " + path;
      return false;
    }
    Add(TraceKind::File, path, false);
  }
  return true;
}

bool Seeder::SeedShortcut(const std::wstring& link, const std::wstring& target,
                          const std::wstring& arguments, bool decoy) {
  Track(link);
  if (!MakeShortcut(link, target, arguments)) return false;
  Add(TraceKind::File, link, decoy);
  return true;
}

bool Seeder::SeedShortcuts(std::wstring* error) {
  const std::wstring desktop = options_.profile + L"\\Desktop";
  const std::wstring menu = options_.startMenu;
  const std::wstring startUp = menu + L"\\Programs\\StartUp";
  // A Desktop that links out of the prefix would put the seed into the real home folder.
  const DWORD desktopAttrs = GetFileAttributesW(desktop.c_str());
  if (desktopAttrs != INVALID_FILE_ATTRIBUTES && (desktopAttrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
    *error = L"the Desktop is a link out of the prefix: " + desktop;
    return false;
  }
  const bool made =
      SeedShortcut(desktop + L"\\Kelvora Quenzor Plexarium.lnk", kAgentPath, L"", false) &&
      SeedShortcut(startUp + L"\\Quenzor Agent.lnk", kAgentPath, L"/tray", false) &&
      SeedFolder(desktop + L"\\Kelvora Quenzor Plexarium by Norvane", false) &&
      SeedFolder(menu + L"\\Kelvora Quenzor Plexarium", false) &&
      SeedShortcut(menu + L"\\Kelvora Quenzor Plexarium\\Agent.lnk", kAgentPath, L"", false) &&
      // Decoys: named after the module but not naming the agent; the agent's name only
      // as UTF-16 text; the Desktop folder without " by Norvane"; a product folder
      // below Programs, which the scan does not enter.
      SeedShortcut(menu + L"\\Kelvora Quenzor Plexarium.lnk", kNotepad, L"", true) &&
      SeedShortcut(desktop + L"\\Agent notes.lnk", kNotepad, L"KVAGENT.EXE", true) &&
      SeedFolder(desktop + L"\\Kelvora Quenzor Plexarium", true) &&
      SeedFolder(menu + L"\\Programs\\Kelvora Quenzor Plexarium", true);
  if (!made) {
    *error = L"cannot make the shortcuts";
    return false;
  }
  // The scan looks for the agent's name as single-byte text: make sure each link says
  // what its role needs.
  if (!FileHoldsAscii(desktop + L"\\Kelvora Quenzor Plexarium.lnk", "KVAGENT.EXE") ||
      FileHoldsAscii(desktop + L"\\Agent notes.lnk", "KVAGENT.EXE")) {
    *error = L"the shell links do not hold the agent's name as expected";
    return false;
  }
  return true;
}

bool Seeder::SeedTodaysPc(std::wstring* error) {
  const TestedWindows& windows = WindowsUnderTest();
  const std::wstring x86 = L"C:\\Program Files (x86)";
  const std::wstring vendor = x86 + L"\\Norvane Software";
  if (!windows.otherViewHive().empty()) {
    const std::wstring clsid = windows.otherViewHive() + L"\\SOFTWARE\\Classes\\CLSID\\";
    const std::wstring key = clsid + L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}";
    const std::wstring decoyKey = clsid + L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F37}";
    const wchar_t* const keys[] = {key.c_str()};
    const wchar_t* const decoyKeys[] = {decoyKey.c_str()};
    if (!SeedKeys(keys, false, error) || !SeedKeys(decoyKeys, true, error)) return false;
  }
  const std::wstring value = std::wstring(L"%USERPROFILE%") + kMovedDesktop;
  const std::wstring moved = options_.profile + kMovedDesktop;
  const bool made =
      SeedFolder(vendor + L"\\Kelvora Quenzor 5.9", !windows.Reports(x86)) &&
      SeedFolder(vendor + L"\\Norvane Other Tool", true) &&
      RegSetKeyValueW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                      L"Desktop", REG_EXPAND_SZ, value.c_str(),
                      DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
      SeedShortcut(moved + L"\\Kelvora Quenzor Plexarium.lnk", kAgentPath, L"", false) &&
      SeedShortcut(moved + L"\\Notes.lnk", kNotepad, L"", true);
  if (!made) *error = L"cannot seed the installation and Desktop of today's PC";
  return made;
}

bool Seeder::SeedProcesses(std::wstring* error) {
  Track(options_.workFolder);
  if (!MakeFolders(options_.workFolder)) {
    *error = L"cannot make " + options_.workFolder;
    return false;
  }
  return StartCopies(kTargetImages, false, error) && StartCopies(kDecoyImages, true, error);
}

bool Seeder::StartCopies(std::span<const wchar_t* const> images, bool decoy, std::wstring* error) {
  for (const wchar_t* image : images) {
    const std::wstring copy = options_.workFolder + L"\\" + image;
    auto started = CopyFileW(options_.idleExe.c_str(), copy.c_str(), FALSE)
                       ? Process::Start(copy, {})
                       : std::nullopt;
    if (!started) {
      *error = L"cannot start " + copy;
      return false;
    }
    running_.push_back(std::move(*started));
    Add(TraceKind::Process, image, decoy);
  }
  return true;
}

}  // namespace qc::e2e
