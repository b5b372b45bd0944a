// A whole cleaning run's exit code and its stage boundaries: the code follows the
// outcomes the stages report, never the text of the lines, and a stage that throws
// stops only itself.
#include <gtest/gtest.h>

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

TEST(RunOutcome, ExitCodeFollowsTheOutcomesNotTheText) {
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
      {"a shortcut folder stays",
       [](Rig& r) {
         r.fs.Find(kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted\\Error: x.txt")->locked =
             true;
       },
       1},
      {"no profile", [](Rig& r) { r.env.vars.erase("USERPROFILE"); }, 1},
  };
  for (const auto& c : cases) {
    Rig rig;
    c.spoil(rig);
    rig.form.btnClean_Click();
    EXPECT_EQ(rig.form.ExitCode(), c.exitCode) << c.what;
    if (c.exitCode == 0) {
      // The success really did write lines that a text search would take for failures.
      std::string all;
      for (const std::string& line : rig.list.lines) all += line + "\n";
      EXPECT_NE(all.find(" Not "), std::string::npos);
      EXPECT_NE(all.find("Error: "), std::string::npos);
      EXPECT_NE(all.find("Not Deleted"), std::string::npos);
    }
  }
}

TEST(RunOutcome, AStageThatThrowsIsReportedAndTheRunGoesOn) {
  const std::vector<std::vector<std::string>> done = {
      {"Process Terminated: Internet Explorer"},
      {"Registry Key Deleted: HKEY_CLASSES_ROOT\\Kelvora.Downloader"},
      {"Folder Deleted: C:\\Kelvora Quenzor 5.1", "Folder Deleted: " + kProfile + "\\Norvane"},
      {"Directory Removed: " + kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted",
       "File Deleted: " + kStartMenu + "\\Kelvora Quenzor Plexarium Not Deleted\\Error: x.txt"},
  };
  const struct {
    std::size_t stage;
    std::function<void(Rig&)> spoil;
    const char* line;
  } cases[] = {
      {0, [](Rig& r) { r.processes.listThrows = true; },
       "Error: Ending the processes stopped unexpectedly"},
      {1, [](Rig& r) { r.registry.throwOnOpen = true; },
       "Error: Cleaning the registry stopped unexpectedly"},
      {2, [](Rig& r) { r.fs.throwIn = "exists"; },
       "Error: Cleaning the folders and files stopped unexpectedly"},
      {3, [](Rig& r) { r.fs.throwIn = "list"; },
       "Error: Cleaning the shortcuts stopped unexpectedly"},
  };
  for (const auto& c : cases) {
    Rig rig;
    c.spoil(rig);
    rig.form.btnClean_Click();
    std::vector<std::string> expected;
    for (std::size_t stage = 0; stage < done.size(); ++stage) {
      if (stage == c.stage) {
        expected.push_back(c.line);
      } else {
        expected.insert(expected.end(), done[stage].begin(), done[stage].end());
      }
    }
    EXPECT_EQ(rig.list.lines, expected) << c.line;
    EXPECT_EQ(rig.form.ExitCode(), 1) << c.line;
    EXPECT_EQ(rig.ui.boxes.back().title, "Done") << c.line;
    EXPECT_FALSE(rig.ui.cleanEnabled) << c.line;
  }
}

}  // namespace
}  // namespace qc::test
