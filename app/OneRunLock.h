// Whether this run may clean: the one-run lock, judged from what its adapter found.
#pragma once

#include "platform/InstanceLock.h"
#include "platform/Machine.h"

namespace qc {

enum class RunLock {
  Held,           // ours, and this run holds it
  HeldElsewhere,  // ours, and another run holds it
  NotOurs,        // something of that name that no run of this program made: ignored
  None,           // no lock could be made at all
};

inline constexpr const char* kLockNotOursNote =
    "The lock against a second clean-up is taken by an object that this program did not "
    "make; the run goes on without it";

// A lock of ours is owned by SYSTEM, Administrators or the running account, and admits
// SYSTEM and Administrators: anybody else could have made it only to keep every run out.
RunLock TakeRunLock(IInstanceLock& lock, IMachine& machine);

}  // namespace qc
