// The frame driver: fixed GL state, camera, frame clock, adaptive frame delay, frame order and
// key commands.
#pragma once

#include <cstdint>
#include <cstring>

namespace marvolet {

class Scene;

// Bit set chosen by the host from the three options.
using RenderFlags = uint32_t;
constexpr RenderFlags Trails = 1;        // frames start without clearing colour or depth
constexpr RenderFlags LightEffects = 2;  // the glow pass may run
constexpr RenderFlags Stars = 4;         // the star field is initialised and moved

// How the renderer issues its geometry. Fast gathers each stage's glyphs into vertex arrays and
// sums the glow in one pass where the GL offers a program; Literal makes the calls one by one,
// as the reference picture is defined. Both give the same picture.
enum class DrawPath : uint8_t { Fast, Literal };
// What a key asks of the renderer. Hosts translate their own key events into these.
enum class KeyCommand : uint8_t {
  Nothing,  // not None, which Xlib defines as a macro
  ToggleLightEffects,  // the glow on or off
  ToggleFrameRate,     // the frame-rate text on or off
};

// "literal" selects Literal; anything else, null included, Fast.
inline DrawPath drawPathFromName(const char* name) {
  return name != nullptr && std::strcmp(name, "literal") == 0 ? DrawPath::Literal : DrawPath::Fast;
}

class Renderer {
 public:
  // Needs a current GL context. width and height are the drawing area in pixels.
  Renderer(int32_t width, int32_t height, RenderFlags flags, DrawPath path = DrawPath::Fast);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Composes one frame into the back buffer, ready to present. Never fails.
  void renderFrame();
  void keyCommand(KeyCommand command);

  void update();     // clock tick, then the scene's parameter step
  void drawScene();  // star field, verse rings, logos and title
  void startClock();
  void tickClock();
  // Light-effects pass: the scene once more into the capture texture, then the glow over it.
  void captureFrame();
  void drawGlow(int32_t layers, float insetStep);
  // Whether the glow is summed in one pass (fast path, a GL with programs, a large window).
  bool onePassGlow() const;
  // Whether the light-effects pass runs this frame.
  bool lightEffectsActive() const;
  // Follows a new drawing-area size: viewport and projection as at construction. originX and
  // originY place the drawing area inside a larger window (pixels from its bottom-left corner,
  // as glViewport takes them), for a window that spans several monitors.
  void resize(int32_t width, int32_t height, int32_t originX = 0, int32_t originY = 0);

  Scene* scene;
  int32_t width;    // pixels
  int32_t height;   // pixels
  int32_t originX;  // drawing area's left edge in the window, pixels
  int32_t originY;  // drawing area's bottom edge in the window, pixels
  float fps;        // frames per second over the last measuring window
  // Seconds since the frame clock started. Double, from a 64-bit millisecond total, so that
  // neither the 32-bit counter's wrap nor float rounding disturbs a saver left running for weeks.
  double seconds;
  int32_t frameCount;  // frames in the current measuring window
  int32_t targetFps;
  int32_t frameDelay;  // milliseconds the host sleeps after each frame, 1 to 1000
  bool noLightEffects;
  RenderFlags flags;
  DrawPath drawPath;  // fixed for the renderer's life
};

// Process-wide renderer state, window thread only.
extern Renderer* currentRenderer;
extern bool clockStarted;
extern uint32_t clockStartTime;    // counter reading when the clock started
extern uint32_t fpsWindowStart;    // counter reading at the start of the measuring window
extern uint32_t clockLastReading;  // counter reading at the last tick, to extend across the wrap
extern uint64_t clockElapsed;      // milliseconds from clockStartTime to clockLastReading
extern bool showFps;
// Returns every process-wide value of the renderer, the glow pass included, to its start-up
// state, so that a second renderer in the same process starts as the first did.
void resetRendererGlobals();

// A fixed 640 x 480 space over the viewport, origin top-left, y down; the pair pushes and pops
// both matrices and leaves GL_MODELVIEW current.
void beginOverlayProjection();
void endOverlayProjection();
// Both matrices identities, for positions already in clip coordinates; the same push and pop
// pair as the overlay's.
void beginClipSpaceProjection();
void endClipSpaceProjection();

}  // namespace marvolet
