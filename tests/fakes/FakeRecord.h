// Fakes for what a run leaves besides its log: the Application event log and the
// program's own keys under HKEY_LOCAL_MACHINE.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/EventLog.h"
#include "platform/Machine.h"
#include "platform/MachineKeys.h"

namespace qc::test {

// Files in `files` exist; every event tried is recorded, and refused when `refuses`.
class FakeEventLog final : public IEventLog {
 public:
  struct Event {
    std::string source;
    EventLevel level;
    std::string text;
  };
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  Status Report(const std::string& source, EventLevel level, std::uint32_t,
                const std::string& text) override {
    events.push_back({source, level, text});
    return refuses ? Status::Fail(StatusCode::Failed, 1502, "ReportEventW") : Status{};
  }
  std::set<std::string> files{"C:\\Windows\\System32\\EventCreate.exe"};
  std::vector<Event> events;
  bool refuses = false;
};

// As Windows, lets only an administrator or the system account write under
// HKEY_LOCAL_MACHINE; every write tried is recorded, refused or not.
class FakeMachineKeys final : public IMachineKeys {
 public:
  explicit FakeMachineKeys(IMachine& machine) : machine_(machine) {}
  Status Write(const std::string& subKey, const std::vector<KeyValue>& values) override {
    tried.push_back(subKey);
    if (!machine_.IsAdministrator() || failing.count(subKey)) {
      return Status::Fail(StatusCode::Denied, 5, "RegCreateKeyExW");
    }
    for (const KeyValue& value : values) keys[subKey][value.name] = value;
    return {};
  }
  std::optional<std::string> ReadText(const std::string& subKey, const std::string& name) override {
    if (!keys.count(subKey) || !keys[subKey].count(name)) return std::nullopt;
    const KeyValue& value = keys[subKey][name];
    if (value.type == ValueType::Number) return std::nullopt;
    return value.text;
  }
  std::map<std::string, std::map<std::string, KeyValue>> keys;
  std::vector<std::string> tried;
  std::set<std::string> failing;

 private:
  IMachine& machine_;
};

}  // namespace qc::test
