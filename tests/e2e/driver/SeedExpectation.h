// The results list a cleaning run should write on a seeded machine, derived from the
// seeded traces and from the order in which the file system lists the folders.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/Seed.h"

namespace qc::e2e {

using Lines = std::vector<std::wstring>;

inline constexpr wchar_t kNoProcessesLine[] =
    L"Information: No Quenzor or Internet Explorer Processes Running";
inline constexpr wchar_t kNoProfileFilesLine[] =
    L"Error: The user profile folder is unknown; the per-user folders were not cleaned";
inline constexpr wchar_t kNoProfileShortcutsLine[] =
    L"Error: The user profile folder is unknown; the shortcuts were not cleaned";

// What becomes of one item the run reports on. AsFound: a folder link, which Windows
// removes and Wine cannot; the line must then tell what the platform managed.
enum class Outcome { Goes, Stays, AsFound };

// What a scenario changed about the seeded machine before the run.
struct Faults {
  std::vector<std::pair<std::wstring, Outcome>> outcomes;  // by path; all others go
  std::vector<std::wstring> selectedLinks;  // top-level shortcut-folder links the scan selects
  bool profileHidden = false;               // the run gets no USERPROFILE
  Outcome OutcomeOf(const std::wstring& path) const;
};

// One line to come: fixed text, or a prefix and a path whose outcome picks the wording.
struct ExpectedLine {
  std::wstring path;  // empty: `done` is the whole line
  std::wstring done;
  std::wstring notDone;
  Outcome outcome = Outcome::Goes;
  std::wstring Line() const;
};

// Built before the run (the folders are listed then); read after it. Process lines
// follow the order in which the processes are enumerated, so they are kept apart.
class Expectation {
 public:
  Expectation(const Seeder& seed, const Faults& faults);
  const Lines& processLines() const { return processLines_; }
  Lines rest() const;  // every line after the process lines, in order
  int exitCode() const;

 private:
  void Add(ExpectedLine line) { rest_.push_back(std::move(line)); }
  bool IsTarget(const std::wstring& path) const;
  void AddRegistry();
  void AddItem(const std::wstring& path, const wchar_t* kind, const wchar_t* deleted);
  void AddFiles();
  void AddSelectedFolder(const std::wstring& path);
  void AddShortcuts();

  const Seeder& seed_;
  Faults faults_;
  Lines processLines_;
  std::vector<ExpectedLine> rest_;
};

// Helpers for checking the machine.
std::string Utf8(const std::wstring& s);
bool SameText(const std::wstring& a, const std::wstring& b);  // ignoring letter case
bool IsFolder(const std::wstring& path);
Lines Tree(const std::wstring& folder);  // every path below, in listing order, never via links

}  // namespace qc::e2e
