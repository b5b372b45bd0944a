// Ending Internet Explorer and the product's programs, first stage of a cleaning run.
#pragma once

#include "platform/Processes.h"
#include "platform/ResultsList.h"

namespace qc {

// What the run needs to know of the process stage.
enum class ProcessSearch {
  NoneFound,   // no target process was running
  Found,       // at least one target process was found (ended or not)
  ListFailed,  // the running processes could not be listed at all
};

ProcessSearch TerminateTargetProcesses(IProcesses& processes, IResultsList& listWork);

}  // namespace qc
