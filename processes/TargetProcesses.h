// Ending Internet Explorer and the product's programs, first stage of a cleaning run.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Processes.h"
#include "platform/ResultsList.h"

namespace qc {

// What the run needs to know of the process stage.
enum class ProcessSearch {
  NoneFound,   // no target process was running
  Found,       // at least one target process was found (ended or not)
  ListFailed,  // the running processes could not be listed at all
};

// How long the targets, all together, are given to go once told to end.
inline constexpr std::uint32_t kEndWaitMs = 5000;

// How long WMI is given to end a process that this run may not end itself; a WMI that
// hangs there is not asked again, so the other targets do not wait for it as well.
inline constexpr std::uint32_t kWmiEndBoundMs = 5000;

// How long WMI is given to list the running processes. A damaged repository or a stuck
// service can make it hang instead of failing; past the bound the snapshot answers.
inline constexpr std::uint32_t kWmiListingBoundMs = 15000;

// The running processes through WMI within its bound, else through the snapshot;
// nullopt when neither answered.
std::optional<std::vector<ProcessInfo>> ListRunningProcesses(IProcesses& processes);

// Holds every target as it is found in the listing, asks each one whose image is still
// the listed program to end, waits for them together and then writes one line per target
// in listing order.
ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsSink& listWork);

}  // namespace qc
