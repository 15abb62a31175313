// GL lookups on Windows: wglGetProcAddress of the current context.
#include <windows.h>

#include "platform/gl_proc_address.h"

namespace marvolet::platform {

void* defaultGlProcAddress(const char* name) {
  PROC proc = wglGetProcAddress(name);
  // Some drivers return small integers instead of null for an unknown name.
  const auto value = reinterpret_cast<intptr_t>(proc);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return nullptr;
  return reinterpret_cast<void*>(proc);
}

}  // namespace marvolet::platform
