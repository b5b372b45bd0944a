// A whole cleaning run's exit code and its stage boundaries: the code follows the
// outcomes the stages report, never the text of the lines, and a stage that throws
// stops only itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/Form1.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeUi.h"

namespace qc::test {
namespace {

const std::string kProfile = "C:\\Users\\Ann Not Here";
const std::string kStartMenu = kProfile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";

struct Rig {
  FakeUi ui;
  RecordingList list;
  FakeCommandLine commandLine;
  FakeProcesses processes;
  FakeRegistry registry;
  FakeFileSystem fs;
  FakeEnvironment env;
  FakeOsVersion os;
  Form1 form{{ui, list, commandLine, processes, registry, fs, env, os}};

  // Something for every stage to do, with names that read like failures.
  Rig() {
    env.vars["USERPROFILE"] = kProfile;
    processes.running = {{7, "iexplore.exe"}};
    registry.AddKey(kHkeyClassesRoot, "Kelvora.Downloader\\CLSID");
    fs.AddFile("C:\\Kelvora Quenzor 5.1\\Do Not Delete.txt");
    fs.AddFile(kProfile + "\\Norvane\\Error: log.txt");
    fs.AddFile(kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted\\Error: x.txt");
  }
};

TEST(RunOutcome, ExitCodeFollowsTheOutcomesAndAThrowingStageStopsOnlyItself) {
  const std::string lockedShortcutFile =
      kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted\\Error: x.txt";
  const struct {
    const char* what;
    std::function<void(Rig&)> spoil;
    int exitCode;
  } cases[] = {
      {"everything goes", [](Rig&) {}, 0},
      {"a process survives", [](Rig& r) { r.processes.unkillable = {7}; }, 1},
      {"processes cannot be listed", [](Rig& r) { r.processes.listFails = true; }, 1},
      {"a key stays",
       [](Rig& r) { r.registry.DenyDelete(kHkeyClassesRoot, "Kelvora.Downloader\\CLSID"); }, 1},
      {"a folder stays",
       [](Rig& r) { r.fs.Find("C:\\Kelvora Quenzor 5.1\\Do Not Delete.txt")->locked = true; }, 1},
      {"a file stays",
       [](Rig& r) {
         r.fs.AddFile("C:\\Windows\\Downloaded Program Files\\DuZide.exe", "", kAttrReadOnly);
       },
       1},
      {"a shortcut folder stays", [&](Rig& r) { r.fs.Find(lockedShortcutFile)->locked = true; }, 1},
      {"no profile", [](Rig& r) { r.env.vars.erase("USERPROFILE"); }, 1},
      {"Error: Ending the processes stopped unexpectedly",
       [](Rig& r) { r.processes.listThrows = true; }, 1},
      {"Error: Cleaning the registry stopped unexpectedly",
       [](Rig& r) { r.registry.throwOnOpen = true; }, 1},
      {"Error: Cleaning the folders and files stopped unexpectedly",
       [](Rig& r) { r.fs.throwIn = "exists"; }, 1},
      {"Error: Cleaning the shortcuts stopped unexpectedly", [](Rig& r) { r.fs.throwIn = "list"; },
       1},
  };
  for (const auto& c : cases) {
    Rig rig;
    c.spoil(rig);
    rig.form.btnClean_Click();
    EXPECT_EQ(rig.form.ExitCode(), c.exitCode) << c.what;
    const std::vector<std::string>& lines = rig.list.lines;
    if (std::string_view(c.what).starts_with("Error: ")) {
      // One line names the stage that stopped; the later stages and "Done" still came.
      EXPECT_EQ(std::count(lines.begin(), lines.end(), c.what), 1) << c.what;
      EXPECT_TRUE(lines.back() == c.what || lines.back() == "File Deleted: " + lockedShortcutFile)
          << c.what;
      EXPECT_EQ(rig.ui.boxes.back().title, "Done") << c.what;
    }
    if (c.exitCode == 0) {
      // The success really did write lines that a text search would take for failures.
      std::string all;
      for (const std::string& line : lines) all += line + "\n";
      for (const char* text : {" Not ", "Error: ", "Not Deleted"}) {
        EXPECT_NE(all.find(text), std::string::npos) << text;
      }
    }
  }
}

}  // namespace
}  // namespace qc::test
