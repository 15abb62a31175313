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
  std::string passage;  // UTF-8 as readPassageFile makes it, then a space where it comes round
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

// What a settings dialog shows under a chosen file before anything is saved, read as the saver
// would read it: one line of UTF-8, no path in it. For an item that cannot be used, "Cannot be
// used: " and the words readSceneContent's line ends with ("no such file; the built-in passage
// is drawn"); for an empty path, that the built-in item is drawn.
// A passage that can be used shows its first `characters` code points in quotes, cut after a
// word where one ends near there, with an ellipsis when more follows.
std::string passageGlimpse(const std::string& path, size_t characters = 40);
// A logo that can be used shows its size: "640 × 480 pixels". `item` is "first logo" or
// "second logo".
std::string logoGlimpse(const char* item, const std::string& path, const ImageLimits& limits = {});

// The user's items that come from files.
enum class FileItem : uint8_t { Passage, FirstLogo, SecondLogo };
// passageGlimpse or logoGlimpse, as `item` asks.
std::string fileGlimpse(FileItem item, const std::string& path);

}  // namespace marvolet
