// The one-run-per-PC lock. "Global\" makes it one for all sessions, so a run started by
// a deployment system as the system account and one started by a signed-in user
// exclude each other.
#include "platform/win32/InstanceLock_win32.h"

namespace qc::win {

Win32InstanceLock::~Win32InstanceLock() { Release(); }

void Win32InstanceLock::Release() {
  // A mutex belongs to the thread that took it; the run takes and leaves it on one thread.
  if (held_) ReleaseMutex(mutex_.get());
  held_ = false;
}

LockOutcome Win32InstanceLock::Acquire() {
  if (held_) return LockOutcome::Acquired;
  if (!mutex_) mutex_.reset(CreateMutexW(nullptr, FALSE, kInstanceLockName));
  if (!mutex_) {
    // The mutex exists but was made by another account whose security keeps us out:
    // that account's run has it.
    return GetLastError() == ERROR_ACCESS_DENIED ? LockOutcome::HeldElsewhere : LockOutcome::Failed;
  }
  switch (WaitForSingleObject(mutex_.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // an earlier run ended without releasing it (it crashed)
      held_ = true;
      return LockOutcome::Acquired;
    case WAIT_TIMEOUT:
      return LockOutcome::HeldElsewhere;
    default:
      return LockOutcome::Failed;
  }
}

}  // namespace qc::win
