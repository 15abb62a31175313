// Shows the primary monitor's finished picture on the other monitors of a window that spans
// them all, scaled with OpenGL 1.1 pixel copies.
#pragma once

#include "host/monitor_layout.h"

namespace marvolet {

// Needs the window's GL context current, the frame finished in the back buffer and not yet
// presented. Blackens each other monitor's part of the window and copies the primary's picture
// into its `picture` rectangle. Every GL state it touches is restored, so the next frame is
// drawn as if it had not run. Does nothing without copies.
void copyToOtherMonitors(const SaverLayout& layout);

}  // namespace marvolet
