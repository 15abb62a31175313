// Which swap-control extension a context gets and the call each makes, through a fake function
// lookup; whole-word extension matching; and a display mode's refresh from its timings.
#include "host/swap_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marvolet {
namespace {

std::vector<std::string> calls;
int refuse = 0;  // what the MESA and SGI fakes return; WGL's returns !refuse

void fakeExt(void* display, unsigned long drawable, int interval) {
  calls.push_back("EXT " + std::to_string(reinterpret_cast<uintptr_t>(display)) + " " +
                  std::to_string(drawable) + " " + std::to_string(interval));
}
int fakeMesa(unsigned int interval) {
  calls.push_back("MESA " + std::to_string(interval));
  return refuse;
}
int fakeSgi(int interval) {
  calls.push_back("SGI " + std::to_string(interval));
  return refuse;
}
int fakeWgl(int interval) {
  calls.push_back("WGL " + std::to_string(interval));
  return refuse == 0 ? 1 : 0;
}

void* lookup(const char* name) {
  const std::string wanted = name;
  if (wanted == "glXSwapIntervalEXT") return reinterpret_cast<void*>(&fakeExt);
  if (wanted == "glXSwapIntervalMESA") return reinterpret_cast<void*>(&fakeMesa);
  if (wanted == "glXSwapIntervalSGI") return reinterpret_cast<void*>(&fakeSgi);
  if (wanted == "wglSwapIntervalEXT") return reinterpret_cast<void*>(&fakeWgl);
  return nullptr;
}
void* lookupNothing(const char*) {
  return nullptr;
}

TEST(SwapControl, TheFirstOfferedExtensionIsChosenAndCalledAsItsSignatureWants) {
  void* const display = reinterpret_cast<void*>(uintptr_t{0x1000});
  struct Case {
    const char* extensions;
    SwapControl::Kind kind;
    std::vector<std::string> calls;  // for set(2), then set(0)
  };
  using Kind = SwapControl::Kind;
  const Case cases[] = {
      {"GLX_ARB_create_context GLX_SGI_swap_control GLX_MESA_swap_control GLX_EXT_swap_control",
       Kind::GlxExt,
       {"EXT 4096 77 2", "EXT 4096 77 0"}},
      {"GLX_SGI_swap_control GLX_MESA_swap_control", Kind::GlxMesa, {"MESA 2", "MESA 0"}},
      // SGI cannot turn the interval off: 0 becomes one refresh and is reported as refused.
      {"GLX_SGI_swap_control", Kind::GlxSgi, {"SGI 2", "SGI 1"}},
      {"GLX_EXT_swap_control_tear GLX_OML_swap_method", Kind::Absent, {}},
      {"", Kind::Absent, {}},
      {nullptr, Kind::Absent, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extensions != nullptr ? c.extensions : "(null)");
    calls.clear();
    const SwapControl control = SwapControl::forGlx(c.extensions, lookup, display, 77);
    EXPECT_EQ(control.kind(), c.kind);
    EXPECT_EQ(control.set(2), c.kind != Kind::Absent);
    EXPECT_EQ(control.set(0), c.kind == Kind::GlxExt || c.kind == Kind::GlxMesa);
    EXPECT_FALSE(control.set(-1));
    EXPECT_EQ(calls, c.calls);
  }
  // Offered but not found by the lookup: none.
  EXPECT_EQ(SwapControl::forGlx("GLX_EXT_swap_control", lookupNothing, display, 77).kind(),
            Kind::Absent);
  EXPECT_EQ(SwapControl::forGlx("GLX_EXT_swap_control", nullptr, display, 77).kind(), Kind::Absent);

  // WGL: from its own list or, on older drivers, the GL's.
  calls.clear();
  EXPECT_EQ(
      SwapControl::forWgl("WGL_ARB_pixel_format WGL_EXT_swap_control", nullptr, lookup).kind(),
      Kind::WglExt);
  EXPECT_EQ(SwapControl::forWgl(nullptr, "GL_ARB_multitexture WGL_EXT_swap_control", lookup).kind(),
            Kind::WglExt);
  EXPECT_EQ(SwapControl::forWgl("WGL_ARB_pixel_format", "GL_ARB_multitexture", lookup).kind(),
            Kind::Absent);
  const SwapControl wgl = SwapControl::forWgl("WGL_EXT_swap_control", nullptr, lookup);
  EXPECT_TRUE(wgl.set(4));
  EXPECT_EQ(calls, (std::vector<std::string>{"WGL 4"}));

  // A GL that refuses the interval is reported as refusing it.
  refuse = 1;
  EXPECT_FALSE(SwapControl::forGlx("GLX_MESA_swap_control", lookup, display, 77).set(2));
  EXPECT_FALSE(wgl.set(2));
  refuse = 0;
}

TEST(SwapControl, ExtensionsAreMatchedAsWholeWords) {
  const char* list = "GLX_EXT_swap_control_tear XGLX_MESA_swap_control GLX_SGI_swap_control";
  EXPECT_FALSE(hasExtension(list, "GLX_EXT_swap_control"));
  EXPECT_FALSE(hasExtension(list, "GLX_MESA_swap_control"));
  EXPECT_TRUE(hasExtension(list, "GLX_SGI_swap_control"));
  EXPECT_TRUE(hasExtension(list, "GLX_EXT_swap_control_tear"));
  EXPECT_TRUE(hasExtension("A B", "A"));
  EXPECT_FALSE(hasExtension("A B", ""));
  EXPECT_FALSE(hasExtension(nullptr, "A"));
}

TEST(SwapControl, AModesRefreshComesFromItsTimings) {
  EXPECT_NEAR(modeRefreshHz(148.5e6, 2200, 1125, false, false), 60.0, 1e-9);    // 1080p60
  EXPECT_NEAR(modeRefreshHz(148.35e6, 2200, 1125, false, false), 59.94, 0.01);  // 1080p59.94
  EXPECT_NEAR(modeRefreshHz(325.08e6, 2080, 1085, false, false), 144.0, 0.05);  // CVT-RB 144
  EXPECT_NEAR(modeRefreshHz(74.25e6, 2200, 1125, true, false), 60.0, 1e-9);     // 1080i
  EXPECT_NEAR(modeRefreshHz(25.175e6, 800, 525, false, true), 29.97, 0.01);     // doubled lines
  // A virtual display's mode: no clock, no totals.
  EXPECT_EQ(modeRefreshHz(0, 0, 0, false, false), 0.0);
  EXPECT_EQ(modeRefreshHz(148.5e6, 0, 1125, false, false), 0.0);
  EXPECT_EQ(modeRefreshHz(148.5e6, 2200, 0, false, false), 0.0);
}

}  // namespace
}  // namespace marvolet
