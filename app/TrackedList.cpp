// The results-list sink with failure tracking.
#include "app/TrackedList.h"

namespace qc {

bool IsFailureLine(std::string_view line) {
  return line.starts_with("Error: ") || line.find(" Not ") != std::string_view::npos;
}

void TrackedList::AddItem(std::string_view line) {
  if (IsFailureLine(line)) failed_ = true;
  listBox_.AddItem(line);
}

}  // namespace qc
