// Deleting the product's registry keys, each with its whole subtree.
#include "registry/RegistryCleaner.h"

#include <string>
#include <string_view>

#include "registry/RegistryKeys.h"

namespace qc {

// The path's letter case is the one shown in the results list. Entries that differ
// only in case name the same key: the second of such a pair normally finds nothing.
// The HKEY_CLASSES_ROOT entries repeat machine registrations because that view also
// shows per-user registrations of the same classes.
const RegistryLocation kRegistryCleanupList[17] = {
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\TypeLib\\{A84B1E27-6D09-4F3C-95A1-7C3E2B8D4F60}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\{C2E7F048-3A95-4B1D-8E6C-1D9F5A2B7E43}"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\DiVudava.exe"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\DiVudava.EXE"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\RiViruzaravo.exe"},
    {kHkeyLocalMachine, "SOFTWARE\\Classes\\AppID\\RiViruzaravo.EXE"},
    {kHkeyLocalMachine,
     "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\"
     "{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyClassesRoot, "CLSID\\{3F9A2C61-8B47-4D1E-9C25-6E0B7A4D1F38}"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker.1"},
    {kHkeyClassesRoot, "Kelvora.DownloadBroker.2"},
    {kHkeyClassesRoot, "Kelvora.Downloader"},
    {kHkeyClassesRoot, "Kelvora.Downloader.1"},
    {kHkeyClassesRoot, "Kelvora.Downloader.2"},
    {kHkeyClassesRoot, "TypeLib\\{5D2E8B90-1C3F-4A67-B8E4-2F7C9D0A6B15}"},
};

namespace {

// Passes every line on with the name of the view it came from appended.
class ViewLines final : public IResultsSink {
 public:
  ViewLines(IResultsSink& listWork, const char* suffix) : listWork_(listWork), suffix_(suffix) {}
  void Add(std::string_view line, Outcome outcome) override {
    listWork_.Add(std::string(line) + suffix_, outcome);
  }

 private:
  IResultsSink& listWork_;
  const char* suffix_;
};

}  // namespace

void CleanRegistry(IRegistry& registry, IResultsSink& listWork, IRegistry* otherView,
                   bool program64Bit) {
  ViewLines otherLines(listWork, program64Bit ? " (32-bit view)" : " (64-bit view)");
  // Nothing stops the walk: every key gets its own attempt and its own line. A key both
  // views share is gone after the first deletion and finds nothing in the other view.
  for (const RegistryLocation& entry : kRegistryCleanupList) {
    DeleteRegistryKey(registry, listWork, entry.hive, entry.keyPath);
    if (otherView != nullptr) DeleteRegistryKey(*otherView, otherLines, entry.hive, entry.keyPath);
  }
}

}  // namespace qc
