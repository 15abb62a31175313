// libFuzzer target: any bytes read as a passage or typed as a title give either a refusal with a
// reason or text that keeps every promise of UserText, and normalising that text again changes
// nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/text_file.h"

namespace {

// Well-formed UTF-8 with none of what normalising removes. Returns the number of code points.
size_t checkClean(const std::string& text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') std::abort();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    const unsigned char lead = bytes[i];
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead >= 0x80 && (lead < 0xC2 || lead > 0xF4)) std::abort();
    if (text.size() - i < length) std::abort();
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) std::abort();
      code = (code << 6) | (bytes[i + k] & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      std::abort();
    }
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFEFF || code == 0x2028 ||
        code == 0x2029) {
      std::abort();
    }
    if (code == ' ' && i + 1 < text.size() && bytes[i + 1] == ' ') std::abort();
    i += length;
  }
  return count;
}

void checkRefusal(const marvolet::UserText& result) {
  if (!result.text.empty() || result.reason.empty()) std::abort();
  if (result.reason.find('\n') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const marvolet::UserText passage = marvolet::passageFromBytes(data, size);
  if (passage.usable()) {
    checkClean(passage.text);
    const auto* text = reinterpret_cast<const unsigned char*>(passage.text.data());
    const marvolet::UserText again = marvolet::passageFromBytes(text, passage.text.size());
    if (!again.usable() || again.text != passage.text) std::abort();
  } else {
    checkRefusal(passage);
  }

  const marvolet::UserText title =
      marvolet::titleFromTyped(std::string(reinterpret_cast<const char*>(data), size));
  if (title.usable()) {
    if (checkClean(title.text) > marvolet::MaxTitleCharacters) std::abort();
  } else {
    checkRefusal(title);
  }
  return 0;
}
