// The Wayland host's decisions that need no connection: where the primary output's picture
// goes on another output, and which pointer buttons count as which X button.
#pragma once

#include <cstdint>

#include "render/monitor_copies.h"

namespace marvolet {

// Where a copy of a `pictureWidth` × `pictureHeight` picture goes on an output of
// `outputWidth` × `outputHeight` (all buffer pixels): the picture's aspect, centred, black bars
// around it, by the same rule as the monitors of one X11 or Win32 window. The rectangle is
// bottom-up (glViewport's origin). Sizes of zero or less give an empty rectangle.
PixelRect copyPlacement(int32_t pictureWidth, int32_t pictureHeight, int32_t outputWidth,
                        int32_t outputHeight);

// The X button number (1 left, 2 middle, 3 right, 8 and up for the rest) of a Linux input
// button code as wl_pointer reports it (BTN_LEFT is 0x110), or 0 for a code that is no
// pointer button.
uint32_t xButtonForInputCode(uint32_t code);

// The largest compositor keymap the saver reads, bytes; a longer one is refused unread.
constexpr uint32_t kMaxKeymapBytes = 4u << 20;

}  // namespace marvolet
