// Fakes for the machine facts, the clock, the shell's folders, the profile list, the
// log file, the one-run lock, removal at restart and the security of paths.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/LogFile.h"
#include "platform/Machine.h"
#include "platform/ProfileList.h"
#include "platform/RestartRemoval.h"
#include "platform/Security.h"
#include "platform/ShellFolders.h"

namespace qc::test {

class FakeMachine final : public IMachine {
 public:
  bool IsWindows64Bit() override { return windows64; }
  bool IsProgram64Bit() override { return program64; }
  bool IsLocalSystem() override { return localSystem; }
  bool IsAdministrator() override { return administrator || localSystem; }
  std::string WindowsVersion() override { return windowsVersion; }
  std::string AccountName() override { return account; }
  std::uint32_t ProcessId() override { return processId; }
  std::optional<std::uint32_t> SessionId() override { return session; }
  std::optional<std::string> ProgramFiles64() override { return programFiles64; }
  std::string AccountSid() override { return accountSid; }
  bool windows64 = false, program64 = false, localSystem = false, administrator = false;
  std::string windowsVersion = "10.0.19045";
  std::string account = "PC\\user";
  std::string accountSid = "S-1-5-21-7-7-7-1001";
  std::uint32_t processId = 4242;
  std::optional<std::uint32_t> session = 1;
  std::optional<std::string> programFiles64;
};

// Each local reading is one second after the one before.
class FakeClock final : public IClock {
 public:
  DateTime Now() override {
    DateTime t = now;
    ++now.second;
    return t;
  }
  DateTime NowUtc() override { return utc; }
  DateTime now{2024, 5, 1, 13, 45, 7, 25, -120};
  DateTime utc{2024, 5, 1, 11, 45, 7, 25, 0};
};

class FakeShellFolders final : public IShellFolders {
 public:
  std::optional<std::string> Path(ShellFolder f) override {
    return folders.count(f) ? std::optional(folders[f]) : std::nullopt;
  }
  std::map<ShellFolder, std::string> folders;
};

class FakeProfileList final : public IProfileList {
 public:
  std::optional<std::vector<ProfileEntry>> List() override { return entries; }
  std::optional<std::vector<ProfileEntry>> entries = std::vector<ProfileEntry>{};
};

// Files as byte strings, each owned by Administrators unless `owners` names another.
// Every folder is there but one in `failing`, which cannot be made either; a file in
// `failing` opens but takes no bytes and cannot be renamed. A file in `refused` does not
// open, for the reason given (Denied also for a link or a second name of a file, as the
// adapter reports them), and keeps that reason when renamed.
class FakeLogFile final : public ILogFile {
 public:
  OpenedLog Open(const std::string& path, LogCreation creation) override {
    if (refused.count(path)) return {Status::Fail(refused[path], 5, "CreateFileW"), {}, {}};
    if (failing.count(path.substr(0, path.rfind('\\')))) {
      return {Status::Fail(StatusCode::NotFound, 3, "CreateFileW"), {}, {}};
    }
    if (creation == LogCreation::CreateOnly && files.count(path)) {
      return {Status::Fail(StatusCode::Failed, 80, "CreateFileW"), {}, {}};
    }
    files[path];
    return {{},
            owners.count(path) ? owners[path] : "S-1-5-32-544",
            std::make_unique<Writer>(*this, path)};
  }
  Status CreateFolder(const std::string& path) override {
    if (failing.count(path)) return Status::Fail(StatusCode::Denied, 5, "CreateDirectoryW");
    folders.insert(path);
    return {};
  }
  std::optional<std::uint64_t> Size(const std::string& path) override {
    return files.count(path) ? std::optional(files[path].size()) : std::nullopt;
  }
  Status Replace(const std::string& from, const std::string& to) override {
    if (failing.count(from) || failing.count(to) || !files.count(from)) {
      return Status::Fail(StatusCode::Denied, 5, "Replace");
    }
    files[to] = std::move(files[from]);
    files.erase(from);
    owners.erase(to);
    if (owners.count(from)) owners[to] = owners[from];
    owners.erase(from);
    refused.erase(to);
    if (refused.count(from)) refused[to] = refused[from];
    refused.erase(from);
    return {};
  }
  // The texts of a file's lines, taken out of "<![LOG[" ... "]LOG]!>" where they are in it.
  std::vector<std::string> Texts(const std::string& path) {
    std::vector<std::string> texts;
    std::istringstream in(files[path]);
    for (std::string line; std::getline(in, line, '\n');) {
      const std::size_t end = line.find("]LOG]!>");
      texts.push_back(line.starts_with("<![LOG[") ? line.substr(7, end - 7) : line);
    }
    return texts;
  }
  std::map<std::string, std::string> files, owners;
  std::set<std::string> failing, folders;
  std::map<std::string, StatusCode> refused;

 private:
  struct Writer final : ILogWriter {
    Writer(FakeLogFile& file, std::string path) : file(file), path(std::move(path)) {}
    Status Write(std::string_view bytes) override {
      if (file.failing.count(path)) return Status::Fail(StatusCode::Failed, 5, "WriteFile");
      file.files[path] += bytes;
      return {};
    }
    FakeLogFile& file;
    std::string path;
  };
};

// Finds `found` under the lock's name; Acquire gives `outcome`.
class FakeInstanceLock final : public IInstanceLock {
 public:
  LockFacts Open() override { return found; }
  LockOutcome Acquire() override {
    held = outcome == LockOutcome::Acquired;
    return outcome;
  }
  void Release() override { held = false; }
  LockFacts found{LockObject::Created, {}};
  LockOutcome outcome = LockOutcome::Acquired;
  bool held = false;
};

// Records what was scheduled; a path in `refused`, or any when `refusesAll`, is refused
// as for a non-administrator.
class FakeRestartRemoval final : public IRestartRemoval {
 public:
  Status ScheduleDelete(const std::string& path) override {
    if (refusesAll || refused.count(path))
      return Status::Fail(StatusCode::Denied, 5, "MoveFileExW");
    scheduled.push_back(path);
    return {};
  }
  std::vector<std::string> scheduled;
  std::set<std::string> refused;
  bool refusesAll = false;
};
// Refusing everything, it keeps nothing: one serves every test.
inline FakeRestartRemoval noRestart = [] {
  FakeRestartRemoval refusing;
  refusing.refusesAll = true;
  return refusing;
}();

// Every path is as Windows sets up its own folders (Administrators own it; SYSTEM and
// Administrators may change it, Users read it) unless `items` says otherwise.
class FakePathSecurity final : public IPathSecurity {
 public:
  ItemSecurity Read(const std::string& path) override {
    if (items.count(path)) return items[path];
    return {{},
            false,
            "S-1-5-32-544",
            false,
            {{true, "S-1-5-18", 0x1f01ff},
             {true, "S-1-5-32-544", 0x1f01ff},
             {true, "S-1-5-32-545", 0x1200a9}}};
  }
  std::map<std::string, ItemSecurity> items;
};

}  // namespace qc::test
