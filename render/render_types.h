// The renderer's words that hosts, scenes and tools name without needing the renderer itself:
// its flags, its drawing paths and the key commands it understands.
#pragma once

#include <cstdint>
#include <cstring>

namespace marvolet {

// Bit set chosen by the host from the options.
using RenderFlags = uint32_t;
constexpr RenderFlags Trails = 1;        // frames start without clearing colour or depth
constexpr RenderFlags LightEffects = 2;  // the light effects (the glow pass) may run
constexpr RenderFlags Stars = 4;         // the star field is initialised and moved
// The whole picture drifts a few pixels inside its drawing area (render/burn_in_drift.h), the
// uncovered edge black, so that no edge stays on the same pixels of the screen for long.
constexpr RenderFlags BurnInGuard = 8;

// How the renderer issues its geometry. Fast gathers each stage's glyphs into vertex arrays and
// sums the glow in one pass where the GL offers a program; Literal makes the calls one by one,
// as the reference picture is defined. Both give the same picture.
enum class DrawPath : uint8_t { Fast, Literal };

// What a key asks of the renderer. Hosts translate their own key events into these.
enum class KeyCommand : uint8_t {
  Nothing,             // not None, which Xlib defines as a macro
  ToggleLightEffects,  // the light effects on or off
  ToggleFrameRate,     // the frame-rate text on or off
};

// "literal" selects Literal; anything else, null included, Fast.
inline DrawPath drawPathFromName(const char* name) {
  return name != nullptr && std::strcmp(name, "literal") == 0 ? DrawPath::Literal : DrawPath::Fast;
}

}  // namespace marvolet
