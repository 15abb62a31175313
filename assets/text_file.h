// The user's own passage (a text file) and title (one typed line), made into text the rings and
// the title can draw, or refused with a reason the user can act on.
#pragma once

#include <cstddef>
#include <string>

namespace marvolet {

// Largest passage file read, in bytes.
constexpr size_t MaxPassageBytes = size_t{1} << 20;
// Longest title, in Unicode code points.
constexpr size_t MaxTitleCharacters = 200;

// Text ready to draw, or why there is none. When reason is empty, text is well-formed UTF-8 and
// not empty; it holds no control characters, no byte-order mark, no line or paragraph breaks,
// no tabs, never two ASCII spaces in a row, and no white space at either end. Otherwise text is
// empty and reason is one lower-case line in plain words (no path, no final full stop), meant to
// follow the item's name: "passage /home/a/verse.txt: it is a folder, not a file".
struct UserText {
  std::string text;
  std::string reason;
  bool usable() const { return reason.empty(); }
};

// Reads and normalises the passage file at `path` (UTF-8). Refused: no such file, a folder or a
// device, a file that cannot be read, one larger than MaxPassageBytes (refused from its size,
// before reading), and one with nothing but white space and control characters in it.
UserText readPassageFile(const std::string& path);

// The passage in `size` bytes at `data`. The encoding comes from the byte-order mark: UTF-16 LE
// or BE after FF FE or FE FF, UTF-8 after EF BB BF or without a mark. Then:
//  - each ill-formed UTF-8 sequence becomes one U+FFFD per maximal subpart (as Unicode's
//    conformance chapter recommends), and so does each unpaired UTF-16 surrogate and an odd
//    last byte of UTF-16;
//  - tabs, line and paragraph breaks (LF, VT, FF, CR, NEL, U+2028, U+2029) count as spaces, and
//    each run of spaces becomes one U+0020: the passage is one stream around the rings;
//  - every other control character (C0, DEL, C1) and U+FEFF is dropped, so that "A<NUL>B"
//    reads "AB";
//  - white space is trimmed from both ends; other spaces inside (no-break, ideographic) stay
//    as written;
//  - nothing left means refused ("it holds no text").
// The whole block is read; bounding its size is the caller's part.
UserText passageFromBytes(const unsigned char* data, size_t size);

// The title as typed (UTF-8 from the dialog, the settings or a command line), made into one line
// by the same rules as a passage. Refused when nothing is left or when it is longer than
// MaxTitleCharacters code points: it is then not cut, so what is drawn is never a surprise.
// An empty setting means the built-in title and needs no call.
UserText titleFromTyped(const std::string& typed);

}  // namespace marvolet
