// The offscreen backend: a display kept in memory, with a configurable screen and work area.
// Windows, their visibility, stacking and the pixels last presented for each are kept so that
// tests can read them back. The screen comes from VQ_OFFSCREEN_SCREEN ("1920x1080") and the work
// area from VQ_OFFSCREEN_WORKAREA ("0,0,1920,1040"), or from SetScreen.
//
// These functions act on the backend in use and return empty results when it is not the
// offscreen one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/core/backend.h"
#include "platform/gdi/bitmap.h"

namespace platform::offscreen {

// Changes the screen and the work area (the core reads them again).
void SetScreen(RECT screen, RECT workArea);

// A copy of the pixels last presented for a top-level window (premultiplied BGRA, the window's
// size), or null when nothing was presented yet.
std::unique_ptr<Bitmap> PresentedPixels(HWND hwnd);
// One presented pixel as premultiplied 0xAARRGGBB (0 when nothing was presented there).
std::uint32_t PresentedPixel(HWND hwnd, int x, int y);
// How many times pixels were presented for the window.
int PresentCount(HWND hwnd);
// The visible windows composed in stacking order over a transparent screen.
std::unique_ptr<Bitmap> ScreenPixels();

bool IsShown(HWND hwnd);
bool IsMinimized(HWND hwnd);
RECT NativeRect(HWND hwnd);
std::wstring NativeTitle(HWND hwnd);
NativeWindowHints NativeHints(HWND hwnd);
// The shape given by SetWindowRgn as rectangles in window coordinates (empty: the whole window).
std::vector<RECT> NativeShape(HWND hwnd);
// Native windows from top to bottom.
std::vector<HWND> StackingOrder();
// The cursor shape last set, and the window holding the pointer grab (or null).
CursorShape Cursor();
HWND PointerGrab();

}  // namespace platform::offscreen
