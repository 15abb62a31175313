// UTF-8 decoding as Unicode's table of well-formed sequences has it, shared by the passage
// reader and the shaper.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace marvolet {

constexpr char32_t kUtf8Replacement = 0xFFFD;

// Hands each code point of the `size` bytes at `data` to out.add(char32_t), reading UTF-8 as
// Unicode's table of well-formed byte sequences has it: after a lead byte, the first
// continuation byte's range depends on the lead (no overlong forms, no surrogates, nothing past
// U+10FFFF). A sequence broken off counts as one maximal subpart and gives one U+FFFD; decoding
// resumes at the byte that broke it.
template <typename Sink>
inline void decodeUtf8Into(const unsigned char* data, size_t size, Sink& out) {
  size_t i = 0;
  while (i < size) {
    const unsigned char lead = data[i];
    if (lead < 0x80) {
      out.add(lead);
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the first continuation byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0) {
      out.add(kUtf8Replacement);
      ++i;
      continue;
    }
    char32_t code = lead & (0x7F >> length);
    size_t taken = 1;
    for (; taken < length && i + taken < size; ++taken) {
      const unsigned char next = data[i + taken];
      const bool fits = taken == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
      if (!fits) break;
      code = (code << 6) | (next & 0x3F);
    }
    out.add(taken == length ? code : kUtf8Replacement);
    i += taken;
  }
}

// The code points of `utf8`, ill-formed sequences read as above.
inline std::u32string decodeUtf8(const std::string& utf8) {
  struct Collect {
    std::u32string codes;
    void add(char32_t code) { codes.push_back(code); }
  } out;
  out.codes.reserve(utf8.size());
  decodeUtf8Into(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), out);
  return std::move(out.codes);
}

}  // namespace marvolet
