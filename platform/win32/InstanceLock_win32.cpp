// The one-run-per-PC lock. "Global\" makes it one for all sessions, so a run started by
// a deployment system as the system account and one started by a signed-in user
// exclude each other. Anyone may create a named object there first; the adapter only
// reports what it found, and the run decides whether that is a lock of its own.
#include "platform/win32/InstanceLock_win32.h"

#include <sddl.h>

#include <string>

#include "platform/win32/Security_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// Only SYSTEM, Administrators and the running account may open the mutex, so nobody else
// can hold a handle that keeps it alive, wait on it and sit on it after the run. The owner
// is named: Administrators for an administrator or the system account, who then
// recognise each other's lock, the account itself otherwise.
std::wstring LockDescriptor() {
  const std::wstring account = ToW(ProcessUserSid());
  std::wstring sddl = L"O:" + (ProcessIsAdministrator() || account.empty() ? L"BA" : account) +
                      L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";
  if (!account.empty()) sddl += L"(A;;GA;;;" + account + L")";
  return sddl;
}

}  // namespace

// A mutex belongs to the thread that took it; the run takes and leaves it on one thread.
void Win32InstanceLock::Release() { held_.reset(); }

LockFacts Win32InstanceLock::Open() {
  if (opened_) return facts_;
  opened_ = true;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          LockDescriptor().c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return facts_ = {LockObject::Failed, {}};
  }
  const UniqueLocal held(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  mutex_.reset(CreateMutexW(&attributes, FALSE, kInstanceLockName));
  const DWORD error = GetLastError();
  if (!mutex_) {
    switch (error) {
      case ERROR_INVALID_HANDLE:  // the name is taken by an event, a semaphore, ...
        return facts_ = {LockObject::NotAMutex, {}};
      case ERROR_ACCESS_DENIED:
        return facts_ = {LockObject::Denied, {}};
      default:
        return facts_ = {LockObject::Failed, {}};
    }
  }
  if (error != ERROR_ALREADY_EXISTS) return facts_ = {LockObject::Created, {}};
  // CreateMutexW asks for all access, READ_CONTROL among it, so the owner can be read.
  facts_.object = LockObject::Existed;
  if (!OwnerOf(mutex_.get(), SE_KERNEL_OBJECT, &facts_.ownerSid).ok()) facts_.ownerSid.clear();
  return facts_;
}

LockOutcome Win32InstanceLock::Acquire() {
  if (held_) return LockOutcome::Acquired;
  const LockObject found = Open().object;
  if (found == LockObject::Denied) return LockOutcome::HeldElsewhere;
  if (found != LockObject::Created && found != LockObject::Existed) return LockOutcome::Failed;
  switch (WaitForSingleObject(mutex_.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // an earlier run ended without releasing it (it crashed)
      held_.reset(mutex_.get());
      return LockOutcome::Acquired;
    case WAIT_TIMEOUT:
      return LockOutcome::HeldElsewhere;
    default:
      return LockOutcome::Failed;
  }
}

}  // namespace qc::win
