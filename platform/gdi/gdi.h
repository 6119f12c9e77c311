// The GDI and msimg32 functions the toolkit draws with, over cairo, pango and fontconfig.
//
// Pixels: every bitmap is a platform::Bitmap, 32-bit premultiplied BGRA. Memory DCs, DIB
// sections, compatible bitmaps and window back buffers are all of that one kind.
//
// GDI's effect on alpha is kept: FillRect, ExtTextOutW (opaque), TextOutW, DrawTextW,
// GradientFill, Rectangle, RoundRect and LineTo write blue, green and red and leave alpha 0 in
// the pixels they touch (text is blended with the colour bytes already there). A layered
// window's paint repairs such pixels afterwards. BitBlt copies all four bytes; AlphaBlend
// composites premultiplied pixels (see AlphaBlend).
//
// Handles are checked: a handle that is not a live object of the right kind makes the call fail
// (FALSE, null, 0) instead of touching memory.
#pragma once

#include <cstddef>

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi_types.h"

namespace platform {

// Device contexts.
HDC CreateCompatibleDC(HDC reference);  // reference may be null; starts with a 1 x 1 bitmap
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);  // bitmap, font, brush, pen; a region sets the clip
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
int SaveDC(HDC dc);  // the new depth, 0 on failure
BOOL RestoreDC(HDC dc, int savedDepth);  // negative: relative to the current depth
int SetBkMode(HDC dc, int mode);  // returns the previous mode, 0 on failure
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);  // returns the previous colour, CLR_INVALID on failure
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
BOOL GetViewportOrgEx(HDC dc, POINT* origin);
int GetDeviceCaps(HDC dc, int index);  // LOGPIXELSX/Y 96, BITSPIXEL 32, PLANES 1, HORZRES/VERTRES the bitmap size
BOOL GdiFlush();

// Clipping (device coordinates after the viewport origin, as in the original).
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC dc, HRGN region);  // a copy is kept; null removes the clip
int GetClipBox(HDC dc, RECT* box);  // in logical coordinates; NULLREGION/SIMPLEREGION/COMPLEXREGION

// Objects.
BOOL DeleteObject(HGDIOBJ object);  // FALSE for stock objects, selected bitmaps and bad handles
int GetObjectW(HGDIOBJ object, int size, void* buffer);  // BITMAP, DIBSECTION or LOGFONTW; size written
DWORD GetObjectType(HGDIOBJ object);  // OBJ_*, 0 for a bad handle
HGDIOBJ GetStockObject(int index);

// Bitmaps.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);  // 32-bit, rows top-down, zero-filled
// 32 bits per pixel, BI_RGB only. A positive biHeight gives bottom-up rows through *bits (row 0
// of memory is the image's bottom row); a negative one gives top-down rows. The pixels are zero.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);  // SRCCOPY, nearest pixel
// Source-over with premultiplied pixels, for each channel c of blue, green, red and alpha, with s
// the source pixel, d the destination pixel and SCA the constant alpha:
//   AlphaFormat 0 (constant only):  d = (s × SCA + d × (255 − SCA)) / 255
//   AC_SRC_ALPHA (per pixel):       s' = s × SCA / 255 (all four channels; skipped when SCA = 255)
//                                   d = s' + d × (255 − alpha(s')) / 255, at most 255
// Every division rounds to nearest: (x + 127) / 255 in integers. Source and destination sizes may
// differ (nearest pixel). FALSE when the source rectangle leaves the source bitmap.
BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, BLENDFUNCTION blend);
// Rectangle gradients (GRADIENT_FILL_RECT_H left to right, _V top to bottom). Channel value at
// step i of n steps: c0 + (c1 − c0) × i / (n − 1), truncated; the last column/row is c1 exactly.
// Pixels get blue, green, red and the interpolated alpha byte of the vertices.
BOOL GradientFill(HDC dc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount, ULONG mode);

// Brushes, pens, shapes.
HBRUSH CreateSolidBrush(COLORREF colour);
HPEN CreatePen(int style, int width, COLORREF colour);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);  // opaque colour bytes, alpha 0
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);  // pen outline, brush inside
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);

// Fonts and text. Faces resolve through fontconfig: installed fonts, AddFontMemResourceEx and
// AddFontResourceExW fonts. Text is laid out with pango (see text rendering notes in gdi_text.cpp).
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// length −1: up to the terminating zero. Returns the text height (0 on failure). With
// DT_CALCRECT nothing is drawn and rect's right and bottom are set to the laid-out extent.
// "&" marks a prefix unless DT_NOPREFIX: it is removed (and not drawn underlined).
int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx);

// Fonts from data: each registration is visible to GDI and GDI+ lookups by family name in the
// whole process until removed. The handle is opaque (never null on success).
HANDLE AddFontMemResourceEx(void* data, DWORD size, void* reserved, DWORD* fontCount);
BOOL RemoveFontMemResourceEx(HANDLE handle);
int AddFontResourceExW(LPCWSTR path, DWORD flags, void* reserved);  // number of faces added
BOOL RemoveFontResourceExW(LPCWSTR path, DWORD flags, void* reserved);

// Regions: sets of whole pixels, kept as row bands of spans.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// Corners cut by an ellipse of ellipseWidth × ellipseHeight (each below 2 gives square corners):
// row y keeps x where the pixel centre (x + 0.5, y + 0.5) lies inside the corner ellipse.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);  // dst may be a or b
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
int GetRgnBox(HRGN region, RECT* box);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);

// Icons: a 32-bit premultiplied picture (plus hot spot). The colour bitmap's alpha is the
// icon's alpha; a mask, when given, clears pixels whose mask is set.
HICON CreateIconIndirect(ICONINFO* info);
BOOL DestroyIcon(HICON icon);
BOOL GetIconInfo(HICON icon, ICONINFO* info);  // fresh copies of the bitmaps; the caller deletes them
// The first icon in an .ico file, or the picture of any other image file gdk-pixbuf reads; null
// when the file cannot be read. `index` is reset to 0 when given.
HICON ExtractAssociatedIconW(HINSTANCE instance, LPWSTR path, WORD* index);
// An icon from encoded image bytes (ICO, PNG, ...); null when they do not decode.
HICON CreateIconFromImageBytes(const void* data, std::size_t size);
// The icon's pixels (for the tray and window icons), null for a bad handle. Owned by the icon.
const Bitmap* GetIconBitmap(HICON icon);

// The bitmap object behind an HBITMAP, null for a bad handle (owned by the handle).
Bitmap* GetBitmapPixels(HBITMAP bitmap);

}  // namespace platform
