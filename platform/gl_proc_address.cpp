// Dispatch of GL function lookups to the installed window-system lookup.
#include "platform/gl_proc_address.h"

namespace marvolet::platform {

namespace {
// Process-wide on purpose, like the clock's source: the window-system code that made the context
// installs its lookup, and the renderer's glow program finds its functions through it later.
GlProcAddressSource installedLookup = nullptr;
}  // namespace

void setGlProcAddressSource(GlProcAddressSource source) {
  installedLookup = source;
}

void* glProcAddress(const char* name) {
  return installedLookup != nullptr ? installedLookup(name) : defaultGlProcAddress(name);
}

}  // namespace marvolet::platform
