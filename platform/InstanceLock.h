// One cleaning run at a time on the whole PC, across sessions and accounts.
#pragma once

#include <string>

namespace qc {

enum class LockOutcome { Acquired, HeldElsewhere, Failed };

// What was found under the lock's name when it was created or opened.
enum class LockObject {
  Created,    // made now, by this process
  Existed,    // a lock object of that name was there already; see its owner
  NotAMutex,  // the name belongs to an object of another kind
  Denied,     // it exists and its security keeps this process out
  Failed,     // anything else: no lock to be had
};

struct LockFacts {
  LockObject object = LockObject::Failed;
  std::string ownerSid;  // Existed: its owner, empty when it names none
};

class IInstanceLock {
 public:
  // Releases the lock when this object holds it.
  virtual ~IInstanceLock() = default;
  // Creates the lock object, or opens the one of that name, without waiting. Created,
  // it lets only SYSTEM, Administrators and the running account open it.
  virtual LockFacts Open() = 0;
  // Tries once, without waiting (after Open, on the object it found). Once acquired the
  // lock is held until Release or until this object is destroyed. Acquire and Release
  // are called on one thread.
  virtual LockOutcome Acquire() = 0;
  // Lets another run have the lock; nothing when it is not held.
  virtual void Release() = 0;
};

}  // namespace qc
