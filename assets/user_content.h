// The user's own passage, title and logo pictures as the renderer takes them, and their reading
// from the files and words the settings name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/image_file.h"

namespace marvolet {

// Longest side of a logo picture as it is kept and drawn, pixels: more than a logo's place on
// any screen; larger pictures are taken down to it as soon as they are read, so that the memory
// they hold does not grow with the file.
constexpr uint32_t MaxLogoSide = 2048;

// What the scene draws instead of its built-in items; an empty or null member keeps that item.
struct SceneContent {
  std::string passage;  // UTF-8 as readPassageFile makes it: one line, no control characters
  std::string title;    // UTF-8 as titleFromTyped makes it
  std::shared_ptr<const RgbaImage> firstLogo;
  std::shared_ptr<const RgbaImage> secondLogo;
};

// What the settings name: file paths for the passage and logos, the title's typed words. An
// empty one means the built-in item.
struct SceneContentSources {
  std::string passagePath;
  std::string title;
  std::string firstLogoPath;
  std::string secondLogoPath;
};

// Reads every item named, each within the readers' bounds; logos come out at most MaxLogoSide
// pixels a side, their shape kept. An item that cannot be used stays
// built-in and adds one line for the user to *notes, naming the item, the file and why:
// "passage /a/b.txt: no such file; the built-in passage is drawn".
SceneContent readSceneContent(const SceneContentSources& sources, std::vector<std::string>* notes,
                              const ImageLimits& limits = {});

}  // namespace marvolet
