// Reparse data in the byte layout Windows documents (REPARSE_DATA_BUFFER), made for the
// fakes and the tests from UTF-8 names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ReparseData.h"
#include "base/Wtf8.h"

namespace qc::test {

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}

// UTF-8 as UTF-16LE bytes.
inline std::vector<std::uint8_t> Utf16Bytes(std::string_view text) {
  std::vector<std::uint8_t> out;
  for (char16_t c : Utf16Of(text)) Put16(out, c);
  return out;
}

// Tag, data length, reserved; substitute and print names' offsets and lengths; a symbolic
// link's flags; then the substitute name followed by the print name.
inline std::vector<std::uint8_t> ReparseBytes(std::uint32_t tag, std::string_view substitute,
                                              std::string_view print, std::uint32_t flags = 0) {
  const std::vector<std::uint8_t> sub = Utf16Bytes(substitute), shown = Utf16Bytes(print);
  const bool symlink = tag == kReparseTagSymlink;
  std::vector<std::uint8_t> out;
  Put16(out, tag);
  Put16(out, tag >> 16);
  Put16(out, std::uint32_t((symlink ? 12 : 8) + sub.size() + shown.size()));
  Put16(out, 0);
  for (std::size_t v : {std::size_t(0), sub.size(), sub.size(), shown.size()}) Put16(out, v);
  if (symlink) {
    Put16(out, flags);
    Put16(out, flags >> 16);
  }
  out.insert(out.end(), sub.begin(), sub.end());
  out.insert(out.end(), shown.begin(), shown.end());
  return out;
}

// A junction to an absolute target, as Windows stores it: an NT name, printed plainly.
inline std::vector<std::uint8_t> MountPointBytes(const std::string& target) {
  const bool share = target.starts_with("\\\\");
  return ReparseBytes(kReparseTagMountPoint,
                      share ? "\\??\\UNC\\" + target.substr(2) : "\\??\\" + target, target);
}

}  // namespace qc::test
