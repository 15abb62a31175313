// Decoding and normalising the user's passage and title.
#include "assets/text_file.h"

#include <cstdint>

#include "assets/utf8.h"
#include "platform/user_file.h"

namespace marvolet {

namespace {

constexpr char32_t Replacement = kUtf8Replacement;

// Appends code points as UTF-8 while folding white space and dropping control characters, so
// that the result meets UserText's promises without a second pass.
class Normaliser {
 public:
  void add(char32_t code) {
    if (breaksLikeSpace(code)) {
      pendingSpace_ = !text_.empty();
      return;
    }
    if (isDropped(code)) return;
    // Other spaces are kept inside the text but never lead, and trail only until something
    // visible follows.
    const bool space = isOtherSpace(code);
    if (space && text_.empty()) return;
    if (pendingSpace_) {
      text_.push_back(' ');
      pendingSpace_ = false;
    }
    appendUtf8(code);
    if (!space) visibleEnd_ = text_.size();
  }

  // The text without its trailing white space.
  std::string finish() {
    text_.resize(visibleEnd_);
    return std::move(text_);
  }

 private:
  static bool breaksLikeSpace(char32_t code) {
    return code == 0x20 || (code >= 0x09 && code <= 0x0D) || code == 0x85 || code == 0x2028 ||
           code == 0x2029;
  }
  static bool isDropped(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFEFF;
  }
  // The rest of Unicode's White_Space property.
  static bool isOtherSpace(char32_t code) {
    return code == 0xA0 || code == 0x1680 || (code >= 0x2000 && code <= 0x200A) || code == 0x202F ||
           code == 0x205F || code == 0x3000;
  }

  void appendUtf8(char32_t code) {
    if (code < 0x80) {
      text_.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      text_.push_back(static_cast<char>(0xC0 | (code >> 6)));
      text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      text_.push_back(static_cast<char>(0xE0 | (code >> 12)));
      text_.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      text_.push_back(static_cast<char>(0xF0 | (code >> 18)));
      text_.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      text_.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  std::string text_;
  size_t visibleEnd_ = 0;  // bytes up to the last character that is not white space
  bool pendingSpace_ = false;
};

void decodeUtf16(const unsigned char* data, size_t size, bool bigEndian, Normaliser& out) {
  auto unitAt = [&](size_t i) -> char32_t {
    return bigEndian ? (char32_t{data[i]} << 8) | data[i + 1]
                     : (char32_t{data[i + 1]} << 8) | data[i];
  };
  size_t i = 0;
  while (i + 1 < size) {
    const char32_t unit = unitAt(i);
    i += 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
      const char32_t next = unitAt(i);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        out.add(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        i += 2;
        continue;
      }
    }
    out.add(unit >= 0xD800 && unit <= 0xDFFF ? Replacement : unit);
  }
  if (i < size) out.add(Replacement);  // an odd byte at the end
}

void decodeWithMark(const unsigned char* data, size_t size, Normaliser& out) {
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    decodeUtf16(data + 2, size - 2, false, out);
  } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    decodeUtf16(data + 2, size - 2, true, out);
  } else {
    // A UTF-8 mark decodes to U+FEFF, which is dropped like any other.
    decodeUtf8Into(data, size, out);
  }
}

UserText refused(std::string reason) {
  UserText result;
  result.reason = std::move(reason);
  return result;
}

std::string mebibytes(uint64_t bytes) {
  const uint64_t tenths = (bytes * 10 + (uint64_t{1} << 19)) >> 20;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MiB";
}

}  // namespace

UserText passageFromBytes(const unsigned char* data, size_t size) {
  Normaliser normaliser;
  if (data != nullptr) decodeWithMark(data, size, normaliser);
  UserText result;
  result.text = normaliser.finish();
  if (result.text.empty()) return refused("it holds no text");
  return result;
}

UserText readPassageFile(const std::string& path) {
  using platform::UserFileStatus;
  const platform::UserFile file = platform::readUserFile(path, MaxPassageBytes);
  switch (file.status) {
    case UserFileStatus::Read:
      break;
    case UserFileStatus::Missing:
      return refused("there is no such file");
    case UserFileStatus::Folder:
      return refused("it is a folder, not a file");
    case UserFileStatus::NotAFile:
      return refused("it is not a regular file");
    case UserFileStatus::TooLarge:
      return refused("it is " + mebibytes(file.size) + "; a passage may be at most 1 MiB");
    case UserFileStatus::Unreadable:
      return refused("it cannot be read" +
                     (file.systemMessage.empty() ? "" : " (" + file.systemMessage + ")"));
  }
  if (file.bytes.empty()) return refused("the file is empty");
  return passageFromBytes(file.bytes.data(), file.bytes.size());
}

UserText titleFromTyped(const std::string& typed) {
  Normaliser normaliser;
  decodeUtf8Into(reinterpret_cast<const unsigned char*>(typed.data()), typed.size(), normaliser);
  UserText result;
  result.text = normaliser.finish();
  if (result.text.empty()) return refused(typed.empty() ? "it is empty" : "it holds no text");
  size_t characters = 0;
  for (const char byte : result.text) {
    if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) ++characters;
  }
  if (characters > MaxTitleCharacters) {
    return refused("it has " + std::to_string(characters) +
                   " characters; a title may have at most " + std::to_string(MaxTitleCharacters));
  }
  return result;
}

}  // namespace marvolet
