// No default GL lookup on POSIX: GLX and EGL each have their own, named by the context's maker.
#include "platform/gl_proc_address.h"

namespace marvolet::platform {

void* defaultGlProcAddress(const char*) {
  return nullptr;
}

}  // namespace marvolet::platform
