// The instance handle and entry points shared by the Win32 host's translation units.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

#include "host/command_line.h"
#include "host/saver_settings.h"

namespace marvolet {

struct SessionOptions;

// Set once by WinMain before any window exists. The window class and the window are registered
// and created with it; everything else a window or dialog procedure needs travels with its
// window.
extern HINSTANCE instanceHandle;

// Window handles travel through portable code as numbers.
inline uintptr_t windowNumber(HWND window) {
  return reinterpret_cast<uintptr_t>(window);
}
inline HWND windowFromNumber(uintptr_t number) {
  return reinterpret_cast<HWND>(number);
}
// A handle written on the command line is 32 bits; 64-bit Windows sign-extends handles.
inline HWND windowFromCommandLine(int32_t number) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(number));
}

// Saver and Preview modes (`mode`): the window, its GL context and the frame loop. parent is
// null in Saver mode; showCommand is the SW_ value from the start-up information;
// `sessionOptions` carries what WinMain read from the environment.
void runSaverWindow(SaverMode mode, const SaverSettings& settings,
                    const SessionOptions& sessionOptions, HWND parent, int showCommand);
// Dialog 104. DialogBoxParam's last argument is the SaverSettings record the dialog shows and,
// on OK, saves.
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Non-zero when the saver may close (always, outside Windows 9x or without PASSWORD.CPL).
BOOL verifyPassword(HWND window);
// ChangePassword mode: the platform's dialog, owned by `owner`.
void changePassword(HWND owner);

}  // namespace marvolet
