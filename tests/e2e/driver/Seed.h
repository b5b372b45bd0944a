// Lays down the traces the product leaves on a PC, plus decoys that a cleaning run must
// leave alone, in the prefix the seeding program runs in; takes them away again.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "tests/e2e/driver/Driver.h"

namespace qc::e2e {

enum class TraceKind { RegistryKey, Folder, File, Process };

// One thing seeded: a target the cleaner must remove, or a decoy it must keep.
struct Trace {
  TraceKind kind;
  std::wstring path;  // "HKLM\..." / "HKCR\..." for keys, a full path, or an image name
  bool decoy;
  bool preexisting = false;  // was there before the seeding, so teardown leaves it
};

struct SeedOptions {
  std::wstring profile;     // the profile folder the cleaner will see
  std::wstring startMenu;   // the Start Menu folder the cleaner will scan
  std::wstring idleExe;     // the idle program whose copies play the processes
  std::wstring workFolder;  // where the process copies live (removed on teardown)
  bool processes = true;
  // Also a PC as most carry the client today: a 32-bit installation under Program Files
  // (x86), the CLSID key in the other registry view and the Desktop moved into a synced
  // folder, each with a decoy. Where the Windows under test does not report that folder
  // (32-bit Windows) the installation is a decoy, and without a second view that key is
  // not seeded. Leaves the Desktop moved: throwaway prefixes.
  bool todaysPc = false;
};

// Where a known-folder move into a synced folder puts the Desktop, below the profile.
inline constexpr wchar_t kMovedDesktop[] = L"\\OneDrive\\Desktop";

// Options for this prefix: USERPROFILE, the Start Menu the reported Windows version
// selects, idle.exe beside the running program, and a work folder on C:.
SeedOptions DefaultSeedOptions();

class Seeder {
 public:
  explicit Seeder(SeedOptions options) : options_(std::move(options)) {}
  Seeder(const Seeder&) = delete;
  Seeder& operator=(const Seeder&) = delete;
  ~Seeder() { Remove(); }

  // Creates every trace and decoy; false with a reason when one could not be made.
  bool LayDown(std::wstring* error);
  // Takes away whatever of the seed is still there (targets and decoys alike).
  void Remove();
  // A folder link at link pointing at target, a new folder filled like a product folder
  // that a cleaning run must leave intact (it and its readme.txt become decoy traces).
  // The link itself is neither target nor decoy: it is removed on teardown.
  bool AddFolderLink(const std::wstring& link, const std::wstring& target, std::wstring* error);
  // A new folder filled like a product folder that a cleaning run must leave intact.
  bool AddDecoyFolder(const std::wstring& folder, std::wstring* error);

  const std::vector<Trace>& traces() const { return traces_; }
  const SeedOptions& options() const { return options_; }
  // Whether a trace is on the machine now.
  static bool Exists(const Trace& trace);

 private:
  bool SeedRegistry(std::wstring* error);
  bool SeedFolders(std::wstring* error);
  bool SeedShortcuts(std::wstring* error);
  bool SeedProcesses(std::wstring* error);
  bool SeedTodaysPc(std::wstring* error);
  void Add(TraceKind kind, std::wstring path, bool decoy);
  // Notes what creating path will add, so that teardown removes exactly that; false
  // when the path is there already.
  bool Track(const std::wstring& path);
  bool SeedKeys(std::span<const wchar_t* const> keys, bool decoy, std::wstring* error);
  bool StartCopies(std::span<const wchar_t* const> images, bool decoy, std::wstring* error);
  bool SeedFolder(const std::wstring& folder, bool decoy);
  bool SeedShortcut(const std::wstring& link, const std::wstring& target,
                    const std::wstring& arguments, bool decoy);

  SeedOptions options_;
  std::vector<Trace> traces_;
  std::vector<std::wstring> createdRoots_;  // folders and files to delete on teardown
  std::vector<std::wstring> links_;         // folder links, removed before anything else
  std::vector<Process> running_;
};

// Helpers the seeding uses, open to tests.
bool WriteTextFile(const std::wstring& path, const std::string& content, DWORD attributes = 0);
bool MakeFolders(const std::wstring& path);  // with every missing parent
// The user's Downloads folder, made when missing: where a user starts the program from.
std::wstring DownloadsFolder();
void DeleteTree(const std::wstring& path);  // files, folders and attributes alike
// A shell link at linkPath to target, with optional arguments; uses IShellLinkW.
bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target,
                  const std::wstring& arguments = L"");
// Whether the file's bytes hold the text as consecutive single-byte characters.
bool FileHoldsAscii(const std::wstring& path, const std::string& text);
// The names in a folder (without "." and ".."), in the order the file system lists them.
std::vector<std::wstring> ListNames(const std::wstring& folder);
bool IsFolderLink(const std::wstring& path);
// A directory link at linkPath to target. Under Wine, which accepts CreateSymbolicLinkW
// but makes nothing, it is a Unix symbolic link made by ln; Wine shows it as a
// reparse-point folder, as Windows shows a junction.
bool MakeFolderLink(const std::wstring& linkPath, const std::wstring& target);
// Removes the link only (Wine cannot remove a Unix link through Win32: rm does it).
bool RemoveFolderLink(const std::wstring& linkPath);
bool RunningUnderWine();

}  // namespace qc::e2e
