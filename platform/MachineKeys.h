// Keys of the program's own under HKEY_LOCAL_MACHINE (the run's status, the event
// source), in the 64-bit registry view on 64-bit Windows. Never one of the product's
// keys: those are only ever deleted, through IRegistry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace qc {

enum class ValueType { Text, ExpandableText, Number };  // REG_SZ, REG_EXPAND_SZ, REG_DWORD

struct KeyValue {
  std::string name;
  ValueType type = ValueType::Text;
  std::string text;          // Text and ExpandableText
  std::uint32_t number = 0;  // Number
};

class IMachineKeys {
 public:
  virtual ~IMachineKeys() = default;
  // Creates the key below HKEY_LOCAL_MACHINE where missing and sets the values, stopping
  // at the first that fails. Windows lets only administrators do it.
  virtual Status Write(const std::string& subKey, const std::vector<KeyValue>& values) = 0;
  // A text value as stored (an expandable one unexpanded); nullopt when the key or the
  // value is missing, unreadable or not text.
  virtual std::optional<std::string> ReadText(const std::string& subKey,
                                              const std::string& name) = 0;
};

}  // namespace qc
