// One cleaning run at a time on the whole PC, across sessions and accounts.
#pragma once

namespace qc {

enum class LockOutcome { Acquired, HeldElsewhere, Failed };

class IInstanceLock {
 public:
  // Releases the lock when this object holds it.
  virtual ~IInstanceLock() = default;
  // Tries once, without waiting. Once acquired the lock is held until this object is
  // destroyed; call it once per object.
  virtual LockOutcome Acquire() = 0;
};

}  // namespace qc
