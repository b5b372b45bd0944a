// Ending Internet Explorer and the product's programs.
#include "processes/TargetProcesses.h"

namespace qc {

// Not built yet: the process stage lists and ends nothing until its issue lands.
ProcessSearch TerminateTargetProcesses(IProcesses&, IResultsList&) {
  return ProcessSearch::NoneFound;
}

}  // namespace qc
