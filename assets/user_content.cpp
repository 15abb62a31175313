// Reading the user's passage, title and logos, each refusal told in one line.
#include "assets/user_content.h"

#include "assets/text_file.h"
#include "assets/texture.h"

namespace marvolet {

namespace {

void refuse(std::vector<std::string>* notes, const char* item, const std::string& source,
            const std::string& reason) {
  if (notes == nullptr) return;
  notes->push_back(std::string(item) + " " + source + ": " + reason + "; the built-in " + item +
                   " is drawn");
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
      content.passage = std::move(passage.text);
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

}  // namespace marvolet
