// Windows key codes to key commands.
#include "host/win32/win32_keys.h"

namespace marvolet {

KeyCommand keyCommandForWindowsCode(int32_t code) {
  switch (code) {
    case 0x42:
    case 0x62:
      return KeyCommand::ToggleLightEffects;
    case 0x53:
    case 0x73:
      return KeyCommand::ToggleFrameRate;
    default:
      return KeyCommand::Nothing;
  }
}

}  // namespace marvolet
