// Fakes for the environment, the Windows version and the process list.
#pragma once

#include <map>
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

// Processes that run until terminated; ids listed in `unkillable` survive Terminate.
class FakeProcesses final : public IProcesses {
 public:
  std::optional<std::vector<ProcessInfo>> List() override {
    events.push_back("list");
    if (listFails) return std::nullopt;
    return running;
  }
  bool Terminate(const ProcessInfo& p) override {
    events.push_back("terminate:" + std::to_string(p.id));
    terminated.push_back(p.id);
    if (unkillable.count(p.id)) return false;
    std::erase_if(running, [&](const ProcessInfo& r) { return r.id == p.id; });
    return true;
  }
  std::vector<ProcessInfo> running;
  std::set<std::uint32_t> unkillable;
  std::vector<std::uint32_t> terminated;
  std::vector<std::string> events;
  bool listFails = false;
};

}  // namespace qc::test
