// Reparse tags and the data a link stores: which reparse points are links, and where a
// junction or symbolic link leads, read from its reparse data as Windows lays it out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Wtf8.h"

namespace qc {

inline constexpr std::uint32_t kReparseTagMountPoint = 0xA0000003;  // junction, mount point
inline constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;
inline constexpr std::uint32_t kReparseTagNameSurrogate = 0x20000000;
inline constexpr std::uint32_t kSymlinkFlagRelative = 0x1;

// Only a name surrogate names another item; a cloud placeholder, a deduplicated or a
// compressed file is the item itself. A tag that could not be read (0: Wine shows its
// links only as reparse points) counts as a link, which is never entered or followed.
inline bool IsLinkTag(std::uint32_t tag) {
  return tag == 0 || (tag & kReparseTagNameSurrogate) != 0;
}

// Where a link leads. An absolute target is "X:\...", "\\server\share\..." or, for a
// target that is no drive or share path (a volume GUID, a device), "\\?\..." or the NT
// name as stored, which no folder path matches.
struct LinkData {
  std::string path;       // UTF-8
  bool relative = false;  // a symbolic link's target, relative to the link's folder
};

namespace reparse_detail {

inline std::uint32_t Read16(const std::uint8_t* p) { return std::uint32_t(p[0] | p[1] << 8); }
inline std::uint32_t Read32(const std::uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }

// UTF-16LE bytes to UTF-8; nullopt for a lone surrogate, which no UTF-8 path can name.
inline std::optional<std::string> Utf8Of(const std::uint8_t* p, std::size_t units) {
  std::string out;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t c = Read16(p + 2 * i);
    if (c >= 0xDC00 && c < 0xE000) return std::nullopt;
    if (c >= 0xD800 && c < 0xDC00) {
      const std::uint32_t low = i + 1 < units ? Read16(p + 2 * (i + 1)) : 0;
      if (low < 0xDC00 || low >= 0xE000) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// The NT name a link stores, in the form the rest of the program names items by.
inline std::string Win32Form(std::string name) {
  if (name.starts_with("\\??\\UNC\\")) return "\\" + name.substr(7);
  if (!name.starts_with("\\??\\")) return name;
  const std::string_view rest = std::string_view(name).substr(4);
  const bool drive = rest.size() >= 2 && rest[1] == ':' &&
                     ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z')) &&
                     (rest.size() == 2 || rest[2] == '\\');
  return drive ? std::string(rest) : "\\\\?\\" + std::string(rest);
}

}  // namespace reparse_detail

// The target of a junction or symbolic link from its reparse data (REPARSE_DATA_BUFFER:
// tag, data length, reserved; then the substitute and print names' offsets and lengths
// in bytes, a symbolic link's flags, and the path buffer the offsets count from).
// nullopt for any other tag, and for data that is cut short or does not add up.
inline std::optional<LinkData> ParseReparseData(const std::uint8_t* data, std::size_t size) {
  using namespace reparse_detail;
  if (data == nullptr || size < 16) return std::nullopt;
  const std::uint32_t tag = Read32(data);
  const std::size_t end = 8 + Read16(data + 4);
  const std::size_t pathBuffer = tag == kReparseTagSymlink ? 20 : 16;
  if ((tag != kReparseTagMountPoint && tag != kReparseTagSymlink) || end > size ||
      pathBuffer > end) {
    return std::nullopt;
  }
  const std::size_t offset = Read16(data + 8), length = Read16(data + 10);
  if (length == 0 || length % 2 != 0 || pathBuffer + offset + length > end) return std::nullopt;
  std::optional<std::string> name = Utf8Of(data + pathBuffer + offset, length / 2);
  if (!name) return std::nullopt;
  if (tag == kReparseTagSymlink && (Read32(data + 16) & kSymlinkFlagRelative) != 0) {
    return LinkData{std::move(*name), true};
  }
  return LinkData{Win32Form(std::move(*name)), false};
}

}  // namespace qc
