// Reading the user's passage, title and logos, each refusal told in one line.
#include "assets/user_content.h"

#include "assets/text_file.h"
#include "assets/texture.h"

namespace marvolet {

namespace {

// Why, and what is drawn instead: the part of a refusal that both the saver's line and the
// dialogs show.
std::string refusal(const char* item, const std::string& reason) {
  return reason + "; the built-in " + item + " is drawn";
}

void refuse(std::vector<std::string>* notes, const char* item, const std::string& source,
            const std::string& reason) {
  if (notes == nullptr) return;
  notes->push_back(std::string(item) + " " + source + ": " + refusal(item, reason));
}

std::string builtIn(const char* item) {
  return std::string("The built-in ") + item + " is drawn";
}

// In UTF-8 bytes, whatever the compiler's own character set.
constexpr const char* kOpenQuote = "\xE2\x80\x9C";   // U+201C
constexpr const char* kCloseQuote = "\xE2\x80\x9D";  // U+201D
constexpr const char* kEllipsis = "\xE2\x80\xA6";    // U+2026
constexpr const char* kTimes = "\xC3\x97";           // U+00D7

bool continuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::shared_ptr<const RgbaImage> readLogo(const char* item, const std::string& path,
                                          std::vector<std::string>* notes,
                                          const ImageLimits& limits) {
  if (path.empty()) return nullptr;
  UserImage read = readImageFile(path, limits);
  if (!read.usable()) {
    refuse(notes, item, path, read.reason);
    return nullptr;
  }
  if (read.image.width <= MaxLogoSide && read.image.height <= MaxLogoSide) {
    return std::make_shared<const RgbaImage>(std::move(read.image));
  }
  Texture smaller{};
  if (!textureFromRgba(smaller, read.image, MaxLogoSide)) {
    refuse(notes, item, path, "there is not enough memory to take it down to size");
    return nullptr;
  }
  auto fitted = std::make_shared<RgbaImage>();
  fitted->width = smaller.width;
  fitted->height = smaller.height;
  fitted->opaque = read.image.opaque;
  fitted->pixels.reset(smaller.pixels);
  return fitted;
}

}  // namespace

SceneContent readSceneContent(const SceneContentSources& sources, std::vector<std::string>* notes,
                              const ImageLimits& limits) {
  SceneContent content;
  if (!sources.passagePath.empty()) {
    UserText passage = readPassageFile(sources.passagePath);
    if (passage.usable()) {
      // The rings run the passage round and round: a space keeps its end off its start.
      content.passage = std::move(passage.text) + ' ';
    } else {
      refuse(notes, "passage", sources.passagePath, passage.reason);
    }
  }
  if (!sources.title.empty()) {
    UserText title = titleFromTyped(sources.title);
    if (title.usable()) {
      content.title = std::move(title.text);
    } else {
      refuse(notes, "title", "\"" + sources.title + "\"", title.reason);
    }
  }
  content.firstLogo = readLogo("first logo", sources.firstLogoPath, notes, limits);
  content.secondLogo = readLogo("second logo", sources.secondLogoPath, notes, limits);
  return content;
}

std::string passageGlimpse(const std::string& path, size_t characters) {
  if (path.empty()) return builtIn("passage");
  const UserText passage = readPassageFile(path);
  if (!passage.usable()) return "Cannot be used: " + refusal("passage", passage.reason);
  const std::string& text = passage.text;
  // The byte after the first `characters` code points; the text is well-formed UTF-8.
  size_t end = 0;
  for (size_t counted = 0; end < text.size() && counted < characters; ++counted) {
    ++end;
    while (end < text.size() && continuationByte(text[end])) ++end;
  }
  if (end == text.size()) return kOpenQuote + text + kCloseQuote;
  // Back to the last space in the final quarter, so that no word is cut; scripts written
  // without spaces are cut where the count ends.
  const size_t space = text.rfind(' ', end);
  if (space != std::string::npos && space > end - end / 4) end = space;
  return kOpenQuote + text.substr(0, end) + kEllipsis + kCloseQuote;
}

std::string logoGlimpse(const char* item, const std::string& path, const ImageLimits& limits) {
  if (path.empty()) return builtIn(item);
  const UserImage read = readImageFile(path, limits);
  if (!read.usable()) return "Cannot be used: " + refusal(item, read.reason);
  return std::to_string(read.image.width) + " " + kTimes + " " + std::to_string(read.image.height) +
         " pixels";
}

std::string fileGlimpse(FileItem item, const std::string& path) {
  switch (item) {
    case FileItem::Passage:
      return passageGlimpse(path);
    case FileItem::FirstLogo:
      return logoGlimpse("first logo", path);
    case FileItem::SecondLogo:
      break;
  }
  return logoGlimpse("second logo", path);
}

}  // namespace marvolet
