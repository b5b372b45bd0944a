// One cleaning run at a time on the whole PC, across sessions and accounts.
#pragma once

namespace qc {

enum class LockOutcome { Acquired, HeldElsewhere, Failed };

class IInstanceLock {
 public:
  // Releases the lock when this object holds it.
  virtual ~IInstanceLock() = default;
  // Tries once, without waiting. Once acquired the lock is held until Release or until
  // this object is destroyed. Acquire and Release are called on one thread.
  virtual LockOutcome Acquire() = 0;
  // Lets another run have the lock; nothing when it is not held.
  virtual void Release() = 0;
};

}  // namespace qc
