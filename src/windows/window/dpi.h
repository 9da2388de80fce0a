#pragma once
// Per-monitor DPI awareness, so the window is drawn sharp at any scaling instead of being stretched by the system.
// The designed sizes are pixels at 96 dpi; everything on screen is that times the window's DPI over 96.

#include <windows.h>

namespace veltrane::platform::win32::window {

inline constexpr int kDesignDpi = 96;

// The program's manifest declares per-monitor (v2) awareness. A process without it (a test program) asks for the
// same here; older systems start unaware, as they did.
void enableDpiAwareness();

// The DPI the window is shown at (the system's where the per-window call is missing).
int windowDpi(HWND window);

// A designed length at the given DPI, rounded to the nearest pixel.
inline int scaled(int designed, int dpi) { return MulDiv(designed, dpi, kDesignDpi); }

// The outer size of a top-level window with that client size and styles at the DPI.
SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace veltrane::platform::win32::window
