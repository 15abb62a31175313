// Process-wide state and entry points shared by the Win32 host's translation units.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

#include "host/command_line.h"
#include "host/saver_settings.h"

namespace marvolet {

// Set once by WinMain before any window exists; read by the window and dialog procedures,
// which have no other way to reach them.
extern HINSTANCE instanceHandle;
extern SaverMode saverMode;
extern SaverSettings* saverSettings;

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

// Saver and Preview modes: the window, its GL context and the frame loop. parent is null in
// Saver mode; showCommand is the SW_ value from the start-up information.
void runSaverWindow(HWND parent, int showCommand);
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 104.
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Non-zero when the saver may close (always, outside Windows 9x or without PASSWORD.CPL).
BOOL verifyPassword(HWND window);
// ChangePassword mode: the platform's dialog, owned by `owner`.
void changePassword(HWND owner);

}  // namespace marvolet
