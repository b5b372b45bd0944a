// Whether this run may clean: the one-run lock.
#include "app/OneRunLock.h"

#include <string>

#include "platform/Security.h"

namespace qc {
namespace {

RunLock Acquire(IInstanceLock& lock) {
  switch (lock.Acquire()) {
    case LockOutcome::Acquired:
      return RunLock::Held;
    case LockOutcome::HeldElsewhere:
      return RunLock::HeldElsewhere;
    case LockOutcome::Failed:
      break;
  }
  return RunLock::None;
}

}  // namespace

RunLock TakeRunLock(IInstanceLock& lock, IMachine& machine) {
  const LockFacts found = lock.Open();
  const std::string account = machine.AccountSid();
  switch (found.object) {
    case LockObject::Created:
      return Acquire(lock);
    case LockObject::Existed:
      if (IsAdministrativeSid(found.ownerSid) || (!account.empty() && found.ownerSid == account)) {
        return Acquire(lock);
      }
      return RunLock::NotOurs;
    case LockObject::NotAMutex:
      return RunLock::NotOurs;
    case LockObject::Denied:
      // Every lock of ours admits the system account and Administrators, so one that
      // keeps either out is not ours: deployment systems would retry a 1618 for ever. A
      // standard user is kept out of other accounts' runs' locks too.
      return machine.IsLocalSystem() || machine.IsAdministrator() ? RunLock::NotOurs
                                                                  : RunLock::HeldElsewhere;
    case LockObject::Failed:
      break;
  }
  return RunLock::None;
}

}  // namespace qc
