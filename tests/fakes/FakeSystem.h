// Fakes for the environment, the Windows version and the process list.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Environment.h"
#include "platform/OsVersion.h"
#include "platform/Processes.h"

namespace qc::test {

class FakeEnvironment final : public IEnvironment {
 public:
  std::optional<std::string> Get(const std::string& name) override {
    ++reads[name];
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::string, std::string> vars;
  std::map<std::string, int> reads;
};

class FakeOsVersion final : public IOsVersion {
 public:
  std::optional<OsVersionInfo> QueryVersion() override { return version; }
  std::optional<OsVersionInfo> version = OsVersionInfo{6, 1, 7601, kVerPlatformWin32Nt};
};

// Processes that run until asked to end; ids listed in `unkillable` survive that. A held
// process's image is what runs under its id now; none for an id in `unreadable`. Each
// call is an event, with the time bound it was given.
class FakeProcesses final : public IProcesses {
 public:
  struct Held final : IHeldProcess {
    explicit Held(std::uint32_t id) : id(id) {}
    std::uint32_t id;
  };
  std::optional<std::vector<ProcessInfo>> ListThroughWmi(std::uint32_t timeoutMs) override {
    events.push_back("list:" + std::to_string(timeoutMs));
    if (listThrows) throw std::bad_alloc();
    // A WMI that answers later than it is given does not answer at all.
    if (listFails || !wmiAnswersAfterMs || *wmiAnswersAfterMs > timeoutMs) return std::nullopt;
    return wmiRows ? *wmiRows : running;
  }
  std::optional<std::vector<ProcessInfo>> ListThroughSnapshot() override {
    events.push_back("snapshot");
    if (listFails || snapshotFails) return std::nullopt;
    return running;
  }
  std::unique_ptr<IHeldProcess> Hold(const ProcessInfo& p) override {
    events.push_back("hold:" + std::to_string(p.id));
    return std::make_unique<Held>(p.id);
  }
  std::optional<std::string> ImagePath(IHeldProcess& process) override {
    const std::uint32_t id = static_cast<Held&>(process).id;
    const auto now = std::find_if(running.begin(), running.end(),
                                  [&](const ProcessInfo& r) { return r.id == id; });
    if (unreadable.count(id) || now == running.end()) return std::nullopt;
    return "C:\\Program Files\\" + now->name;
  }
  void RequestEnd(IHeldProcess& process, std::uint32_t wmiBoundMs) override {
    const std::uint32_t id = static_cast<Held&>(process).id;
    events.push_back("end:" + std::to_string(id) + ":" + std::to_string(wmiBoundMs));
    terminated.push_back(id);
    if (!unkillable.count(id))
      std::erase_if(running, [&](const ProcessInfo& r) { return r.id == id; });
  }
  std::vector<bool> WaitForEnd(std::span<IHeldProcess* const> processes,
                               std::uint32_t timeoutMs) override {
    events.push_back("wait:" + std::to_string(processes.size()) + ":" + std::to_string(timeoutMs));
    std::vector<bool> ended;
    for (IHeldProcess* p : processes) {
      const std::uint32_t id = static_cast<Held*>(p)->id;
      ended.push_back(std::none_of(running.begin(), running.end(),
                                   [&](const ProcessInfo& r) { return r.id == id; }));
    }
    return ended;
  }
  std::vector<ProcessInfo> running;
  std::set<std::uint32_t> unkillable, unreadable;
  std::vector<std::uint32_t> terminated;
  std::vector<std::string> events;
  bool listFails = false;  // neither way lists anything
  bool listThrows = false;
  // How long WMI takes to answer; nullopt: it fails at once.
  std::optional<std::uint32_t> wmiAnswersAfterMs = 0;
  std::optional<std::vector<ProcessInfo>> wmiRows;  // what WMI lists, when not `running`
  bool snapshotFails = false;
};

}  // namespace qc::test
