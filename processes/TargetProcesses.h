// Ending Internet Explorer and the product's programs, first stage of a cleaning run.
#pragma once

#include <cstdint>

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

// Holds every target as it is found in the listing, asks them all to end, waits for
// them together and then writes one line per target in listing order.
ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsSink& listWork);

}  // namespace qc
