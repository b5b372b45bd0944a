// The product's folders as the cleaner knows them, in wide strings: one table for the
// seeder that lays them down and for the expectation that predicts the cleaner's lines.
// (The unit tests keep the independent copy that checks the list itself.)
#pragma once

#include <string>
#include <vector>

#include "files/FileCleaner.h"
#include "platform/win32/Utf.h"

namespace qc::e2e {

template <typename List>
std::vector<std::wstring> WideList(const List& list) {
  std::vector<std::wstring> out;
  for (std::string_view item : list) out.push_back(win::ToW(item));
  return out;
}

inline const std::vector<std::wstring> kInstallFolders = WideList(qc::kInstallFolders);
// Appended to the profile folder.
inline const std::vector<std::wstring> kProfileSuffixes = WideList(qc::kProfileSuffixes);

}  // namespace qc::e2e
