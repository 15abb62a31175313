// Windows key and button messages as the renderer's key commands. Plain numbers, so no
// Windows header is needed and the mapping is testable anywhere.
#pragma once

#include <cstdint>

#include "render/render_types.h"

namespace marvolet {

// The command for a Windows virtual-key code or mouse key-state word (a key or button
// message's wParam): B and VK_NUMPAD2 (0x62) toggle the glow, S and VK_F4 (0x73) the frame
// rate, anything else nothing.
KeyCommand keyCommandForWindowsCode(int32_t code);

}  // namespace marvolet
