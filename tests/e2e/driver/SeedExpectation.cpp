// The results list a cleaning run should write on a seeded machine.
#include "tests/e2e/driver/SeedExpectation.h"

#include <windows.h>

#include <algorithm>

#include "tests/e2e/driver/ProductTraces.h"
#include "tests/e2e/driver/TestedWindows.h"

namespace qc::e2e {
namespace {

const std::pair<const wchar_t*, const wchar_t*> kProcessLabels[] = {
    {L"IEXPLORE.EXE", L"Internet Explorer"},        {L"KVRDP.EXE", L"Kelvora Quenzor Farlumen"},
    {L"KVEMUX.EXE", L"Kelvora Quenzor Ondrevis"},   {L"KVAGENT.EXE", L"Kelvora Quenzor Plexarium"},
    {L"KVASSIST.EXE", L"Kelvora Quenzor Helvarin"},
};

// The registry list as the results list shows it, each row with the seeded key it reaches
// here: HKEY_CLASSES_ROOT shows HKLM\SOFTWARE\Classes, and key names ignore letter case,
// so a row whose key an earlier row already took writes nothing.
struct KeyRow {
  const wchar_t* display;
  const wchar_t* seededAs;
};
#define QC_CLSID L"{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"
#define QC_TLB1 L"{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}"
#define QC_TLB2 L"{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}"
#define QC_APPID L"{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}"
#define QC_HKLM L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\"
#define QC_SEED L"HKLM\\SOFTWARE\\Classes\\"
#define QC_DU L"SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
const KeyRow kKeyRows[] = {
    {QC_HKLM L"CLSID\\" QC_CLSID, QC_SEED L"CLSID\\" QC_CLSID},
    {QC_HKLM L"TypeLib\\" QC_TLB1, QC_SEED L"TypeLib\\" QC_TLB1},
    {QC_HKLM L"TypeLib\\" QC_TLB2, QC_SEED L"TypeLib\\" QC_TLB2},
    {QC_HKLM L"AppID\\" QC_APPID, QC_SEED L"AppID\\" QC_APPID},
    {QC_HKLM L"AppID\\DiVudava.exe", QC_SEED L"AppID\\DiVudava.exe"},
    {QC_HKLM L"AppID\\DiVudava.EXE", QC_SEED L"AppID\\DiVudava.exe"},
    {QC_HKLM L"AppID\\RiViruzaravo.exe", QC_SEED L"AppID\\RiViruzaravo.exe"},
    {QC_HKLM L"AppID\\RiViruzaravo.EXE", QC_SEED L"AppID\\RiViruzaravo.exe"},
    {L"HKEY_LOCAL_MACHINE\\" QC_DU QC_CLSID, L"HKLM\\" QC_DU QC_CLSID},
    {L"HKEY_CLASSES_ROOT\\CLSID\\" QC_CLSID, QC_SEED L"CLSID\\" QC_CLSID},
    {L"HKEY_CLASSES_ROOT\\Kelvora.DownloadBroker", L"HKCR\\Kelvora.DownloadBroker"},
    {L"HKEY_CLASSES_ROOT\\Kelvora.DownloadBroker.1", L"HKCR\\Kelvora.DownloadBroker.1"},
    {L"HKEY_CLASSES_ROOT\\Kelvora.DownloadBroker.2", L"HKCR\\Kelvora.DownloadBroker.2"},
    {L"HKEY_CLASSES_ROOT\\Kelvora.Downloader", L"HKCR\\Kelvora.Downloader"},
    {L"HKEY_CLASSES_ROOT\\Kelvora.Downloader.1", L"HKCR\\Kelvora.Downloader.1"},
    {L"HKEY_CLASSES_ROOT\\Kelvora.Downloader.2", L"HKCR\\Kelvora.Downloader.2"},
    {L"HKEY_CLASSES_ROOT\\TypeLib\\" QC_TLB1, QC_SEED L"TypeLib\\" QC_TLB1},
};

#define QC_DPF L"C:\\Windows\\Downloaded Program Files\\"
const wchar_t* const kComponentFiles[] = {QC_DPF L"RiViruzaravo.exe", QC_DPF L"RiViruzaravo.dll",
                                          QC_DPF L"RiViruzaravo.inf", QC_DPF L"DuZide.exe",
                                          QC_DPF L"DiVudava.exe"};

}  // namespace

std::string Utf8(const std::wstring& s) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Lines Tree(const std::wstring& folder) {
  Lines out;
  for (const std::wstring& name : ListNames(folder)) {
    const std::wstring path = folder + L"\\" + name;
    out.push_back(path);
    if (IsFolder(path) && !IsFolderLink(path)) {
      for (std::wstring& inner : Tree(path)) out.push_back(std::move(inner));
    }
  }
  return out;
}

Outcome Faults::OutcomeOf(const std::wstring& path) const {
  for (const auto& [p, o] : outcomes) {
    if (SameText(p, path)) return o;
  }
  return Outcome::Goes;
}

std::wstring ExpectedLine::Line() const {
  if (path.empty()) return done;
  const bool gone =
      outcome == Outcome::Goes ||
      (outcome == Outcome::AsFound && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES);
  return (gone ? done : notDone) + path;
}

static ExpectedLine Fixed(std::wstring line) { return {L"", std::move(line), L"", Outcome::Goes}; }

Expectation::Expectation(const Seeder& seed, const Faults& faults) : seed_(seed), faults_(faults) {
  for (const Trace& t : seed.traces()) {
    if (t.decoy || t.kind != TraceKind::Process) continue;
    for (const auto& [image, label] : kProcessLabels) {
      if (SameText(t.path, image))
        processLines_.push_back(std::wstring(L"Process Terminated: ") + label);
    }
  }
  if (processLines_.empty()) Add(Fixed(kNoProcessesLine));
  AddRegistry();
  AddFiles();
  AddShortcuts();
}

Lines Expectation::rest() const {
  Lines out;
  for (const ExpectedLine& e : rest_) out.push_back(e.Line());
  return out;
}

int Expectation::exitCode() const {
  for (const std::wstring& line : rest()) {
    if (line.starts_with(L"Error: ") || line.find(L" Not ") != std::wstring::npos) return 1;
  }
  return 0;
}

bool Expectation::IsTarget(const std::wstring& path) const {
  for (const Trace& t : seed_.traces()) {
    if (!t.decoy && t.kind != TraceKind::Process && SameText(t.path, path)) return true;
  }
  return false;
}

void Expectation::AddRegistry() {
  std::vector<std::wstring> taken;
  const TestedWindows& windows = WindowsUnderTest();
  auto take = [&](const std::wstring& seededAs, const std::wstring& display) {
    const bool seen = std::any_of(taken.begin(), taken.end(),
                                  [&](const std::wstring& k) { return SameText(k, seededAs); });
    if (!IsTarget(seededAs) || seen) return;
    Add(Fixed(L"Registry Key Deleted: " + display));
    taken.push_back(seededAs);
  };
  // Each key is looked for in the program's own view, then in the other one.
  for (const KeyRow& row : kKeyRows) {
    const std::wstring seededAs = row.seededAs;
    take(seededAs, row.display);
    if (seededAs.starts_with(L"HKLM\\") && !windows.otherViewHive().empty()) {
      take(windows.otherViewHive() + seededAs.substr(4), row.display + windows.otherViewSuffix());
    }
  }
  // Then the user's own copy, which HKEY_CLASSES_ROOT does not show under Wine.
  take(L"HKCU\\Software\\Classes\\Kelvora.Downloader",
       L"HKEY_CURRENT_USER\\Software\\Classes\\Kelvora.Downloader");
}

void Expectation::AddItem(const std::wstring& path, const wchar_t* kind, const wchar_t* deleted) {
  if (!IsTarget(path)) return;
  Add({path, std::wstring(kind) + deleted, std::wstring(kind) + L"Not " + deleted,
       faults_.OutcomeOf(path)});
}

void Expectation::AddFiles() {
  for (const std::wstring& folder : kInstallFolders) AddItem(folder, L"Folder ", L"Deleted: ");
  // The same version folders under each other Program Files folder Windows reports
  // come next (on 64-bit Windows: Program Files (x86)).
  const std::wstring programFiles = L"C:\\Program Files\\";
  for (const std::wstring& root : WindowsUnderTest().otherProgramFiles) {
    for (const std::wstring& folder : kInstallFolders) {
      if (!folder.starts_with(programFiles)) continue;
      AddItem(root + folder.substr(programFiles.size() - 1), L"Folder ", L"Deleted: ");
    }
  }
  if (faults_.profileHidden) {
    Add(Fixed(kNoProfileFilesLine));
  } else {
    for (const std::wstring& s : kProfileSuffixes) {
      AddItem(seed_.options().profile + s, L"Folder ", L"Deleted: ");
    }
  }
  for (const wchar_t* file : kComponentFiles) AddItem(file, L"File ", L"Deleted: ");
}

// A selected folder: its own line first, then everything in it in listing order (all of
// a seeded product folder is selected: it holds no shortcut that misses the agent).
void Expectation::AddSelectedFolder(const std::wstring& path) {
  const bool link = IsFolderLink(path);
  Add({path, L"Directory Removed: ", L"Directory Not Removed: ",
       link ? Outcome::AsFound : faults_.OutcomeOf(path)});
  if (link) return;  // removed itself, never entered
  for (const std::wstring& name : ListNames(path)) {
    const std::wstring inner = path + L"\\" + name;
    if (IsFolder(inner)) {
      AddSelectedFolder(inner);
    } else {
      Add({inner, L"File Deleted: ", L"File Not Deleted: ", faults_.OutcomeOf(inner)});
    }
  }
}

void Expectation::AddShortcuts() {
  if (faults_.profileHidden) {
    Add(Fixed(kNoProfileShortcutsLine));
    return;
  }
  const std::wstring& menu = seed_.options().startMenu;
  Lines folders = {seed_.options().profile + L"\\Desktop", menu, menu + L"\\Programs\\StartUp"};
  // The Desktop the shell reports is scanned right after the one the rules build.
  if (seed_.options().todaysPc) {
    folders.insert(folders.begin() + 1, seed_.options().profile + kMovedDesktop);
  }
  for (const std::wstring& folder : folders) {
    for (const std::wstring& name : ListNames(folder)) {
      const std::wstring path = folder + L"\\" + name;
      const bool link = std::any_of(faults_.selectedLinks.begin(), faults_.selectedLinks.end(),
                                    [&](const std::wstring& l) { return SameText(l, path); });
      if (!IsTarget(path) && !link) continue;
      if (IsFolder(path)) {
        AddSelectedFolder(path);
      } else {
        Add({path, L"File Deleted: ", L"File Not Deleted: ", faults_.OutcomeOf(path)});
      }
    }
  }
}

}  // namespace qc::e2e
