// Adapter for the one-run-per-PC lock: a named mutex in the global namespace.
#pragma once

#include <windows.h>

#include "platform/InstanceLock.h"
#include "platform/win32/Owners.h"

namespace qc::win {

// "Global\" makes it one for all sessions (see InstanceLock_win32.cpp).
inline constexpr wchar_t kInstanceLockName[] = L"Global\\QuenzorCleaner.CleaningRun";

class Win32InstanceLock final : public IInstanceLock {
 public:
  Win32InstanceLock() = default;
  Win32InstanceLock(const Win32InstanceLock&) = delete;
  Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;
  LockFacts Open() override;
  LockOutcome Acquire() override;
  void Release() override;

 private:
  UniqueHandle mutex_;
  LockFacts facts_;
  bool opened_ = false;
  UniqueMutexHold held_;  // after mutex_, so it is released before the handle closes
};

}  // namespace qc::win
