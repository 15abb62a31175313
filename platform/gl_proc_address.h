// Where portable code finds OpenGL functions beyond 1.1. Windows has one lookup
// (wglGetProcAddress); elsewhere the code that made the context names its window system's
// (glXGetProcAddressARB, eglGetProcAddress).
#pragma once

namespace marvolet::platform {

using GlProcAddressSource = void* (*)(const char* name);

// Routes glProcAddress() to `source`; null restores the platform's default.
void setGlProcAddressSource(GlProcAddressSource source);

// The named function of the current context, or null: no lookup installed, or no such function.
void* glProcAddress(const char* name);

// The platform's own lookup: wglGetProcAddress on Windows, none elsewhere.
void* defaultGlProcAddress(const char* name);

}  // namespace marvolet::platform
