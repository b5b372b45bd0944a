// The ntdll file calls the file adapter is built on, looked up at run time (present since
// NT 4): the table a Win32FileSystem is made with.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace qc::win {

using NtCreateFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*,
                                     LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);
using NtQueryDirectoryFileFn = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*,
                                             ULONG, int, BOOLEAN, UNICODE_STRING*, BOOLEAN);
using NtSetInformationFileFn = LONG(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
using NtQueryInformationFileFn = NtSetInformationFileFn;
using NtFsControlFileFn = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, ULONG,
                                        void*, ULONG, void*, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG);

struct NtFileCalls {
  NtCreateFileFn createFile;
  NtQueryDirectoryFileFn queryDirectory;
  NtSetInformationFileFn setInformation;
  NtQueryInformationFileFn queryInformation;
  NtFsControlFileFn fsControl;
  RtlNtStatusToDosErrorFn toDosError;
};

// ntdll's own, looked up once.
const NtFileCalls& NtdllFileCalls();

}  // namespace qc::win
