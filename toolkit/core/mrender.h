// MRender: the static drawing and loading helpers every control and window draws with.
// Never instantiated; its only state is the pair of blend/gradient entry points looked up once.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"
#include "platform/base/win_types.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"

namespace Zelvo {

class MRender {
 public:
  MRender() = delete;

  // --- loading ---
  // Null when the file cannot be decoded; the caller owns the image.
  static Gdiplus::Image* LoadImageFromFile(CString path);
  // A width × height copy of the file's image (both 0: its own size); null when loading fails.
  static Gdiplus::Image* LoadImageFromFileEx(CString path, int width, int height);
  // An image from a resource of `module`; null when the resource is absent.
  static Gdiplus::Image* LoadImageFromIDResource(UINT id, CString type, HINSTANCE module);
  static HICON LoadIconFromFile(CString path);

  // --- nine-part scaling ---
  static void DrawImageFrame(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const CRect& dst, int srcX,
                             int srcY, int srcW, int srcH, int border);
  static void DrawImageFrameMID(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const CRect& dst, int srcX,
                                int srcY, int srcW, int srcH, int left, int top, int right, int bottom);

  // --- alpha ramps (transparencies in percent); return the last opacity used ---
  static int DrawVerticalTransition(HDC& dst, HDC& src, const CRect& dstRect, const CRect& srcRect, int from,
                                    int to);
  static int DrawHorizontalTransition(HDC& dst, HDC& src, const CRect& dstRect, const CRect& srcRect, int from,
                                      int to);
  // Fades the size × size bottom-right corner of `rect` with the distance from its top-left point.
  static void DrawRightBottomTransition(HDC& dst, HDC& src, CRect rect, int size, COLORREF unused);

  // --- GDI wrappers ---
  static HDC CreateCompatibleDC(HDC dc);
  static HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
  // A bottom-up 32-bit DIB section; the pixel pointer is returned through `bits`.
  static HBITMAP CreateARGB32Bitmap(HDC dc, int width, int height, BYTE** bits);
  static BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY);
  static BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
  static void FillSolidRect(HDC& dc, const RECT* rect, COLORREF colour);
  static void FillSolidRect(HDC& dc, int x, int y, int width, int height, COLORREF colour);
  // A GDI+ solid fill of an ARGB colour; nothing when its alpha is 0.
  static void DrawColor(HDC dc, const RECT& rect, DWORD argb);
  static void DrawTextW(HDC dc, CRect& rect, const wchar_t* text, COLORREF colour, HFONT font, UINT format);

  // --- measuring and placing ---
  static Gdiplus::Size GetTextBounds(const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                                     const CString& text);
  static Gdiplus::Size GetTextBounds(const Gdiplus::Font& font, const CString& text);
  static CPoint GetOriginPoint(int width, int height, int cx, int cy, UINT hAlign, UINT vAlign);
  static CPoint GetOriginPoint(CRect rect, int cx, int cy, UINT hAlign, UINT vAlign);
  // Scales an image down (never up) to fit the rectangle, centred.
  static CRect GetImageRect(int width, int height, CRect rect);

  // --- shapes and colours ---
  static void AddRoundedRectangle(Gdiplus::GraphicsPath& path, float x, float y, float width, float height,
                                  float radius);
  static void DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width, float height,
                                float radius, Gdiplus::Color pen);
  static void DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width, float height,
                                float radius, Gdiplus::Color pen, float penWidth, bool fill, Gdiplus::Color fillColour);
  static void RotatePoint(Gdiplus::PointF& point, float degrees, const Gdiplus::PointF& centre);
  // Keeps a colour's RGB part from being pure black.
  static void CheckAlphaColor(DWORD& colour);
  static BOOL SaveBitmapToFile(HBITMAP bitmap, CString path);
  // Two ARGB colours, from the first corner to the opposite one, blended with their mean alpha.
  static void DrawGradient(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps);
  static void DrawRectangle(HDC& dc, const CRect& rect, int, int, int) {}
};

}  // namespace Zelvo
