// The conversion between UTF-16, in which Windows names every file, and the UTF-8 inside
// the program, such that every name Windows gives comes back exactly as it was.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qc {

// Appends the bytes of one code point (a lone surrogate half included) as UTF-8 writes it.
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
  } else if (c < 0x10000) {
    out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
  } else {
    out += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)), char(0x80 | (c >> 6 & 0x3F)),
            char(0x80 | (c & 0x3F))};
  }
}

// Windows does not require a name to be well-formed UTF-16: a user can name a file with
// half a surrogate pair, which UTF-8 has no code for. Such a half is kept as the three
// bytes its code point would take (the encoding called WTF-8), so that Utf16Of gives the
// name back and the file it names opens; well-formed text converts exactly as UTF-8.
inline std::string Wtf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    const bool high = c >= 0xD800 && c < 0xDC00;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    AppendUtf8(out, c);
  }
  return out;
}

namespace wtf8_detail {

// The bytes of the sequence a lead byte starts; 0 for a byte that starts none.
inline std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;  // a continuation byte, or the start of a too long form
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return lead < 0xF5 ? 4 : 0;
}

}  // namespace wtf8_detail

// Back to UTF-16: UTF-8, and the halves of pairs that Wtf8Of keeps; every byte of anything
// else (a sequence cut short, too long, out of range) becomes U+FFFD.
inline std::u16string Utf16Of(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = wtf8_detail::SequenceLength(lead);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
    if (!valid || c < least || c > 0x10FFFF) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += {char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + (c & 0x3FF))};
    } else {
      out += char16_t(c);
    }
    i += length;
  }
  return out;
}

// The same text as well-formed UTF-8, for a file that others read as such: each half of a
// pair that Wtf8Of kept becomes U+FFFD.
inline std::string Utf8Of(std::string_view wtf8) {
  std::u16string text = Utf16Of(wtf8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool high = text[i] >= 0xD800 && text[i] < 0xDC00;
    const bool low = text[i] >= 0xDC00 && text[i] < 0xE000;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      ++i;
    } else if (high || low) {
      text[i] = u'\uFFFD';
    }
  }
  return Wtf8Of(text);
}

}  // namespace qc
