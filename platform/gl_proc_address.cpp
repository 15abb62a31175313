// Dispatch of GL function lookups to the installed window-system lookup.
#include "platform/gl_proc_address.h"

namespace marvolet::platform {

namespace {
GlProcAddressSource installedLookup = nullptr;
}  // namespace

void setGlProcAddressSource(GlProcAddressSource source) {
  installedLookup = source;
}

void* glProcAddress(const char* name) {
  return installedLookup != nullptr ? installedLookup(name) : defaultGlProcAddress(name);
}

}  // namespace marvolet::platform
