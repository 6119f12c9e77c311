// MRender's image loading, nine-part scaling, text measuring and shapes (the GDI+ side).
#include <cmath>

#include "toolkit/core/mrender.h"

namespace Zelvo {

namespace {
Gdiplus::Image* KeepIfDecoded(Gdiplus::Image* image) {
  if (image == nullptr) return nullptr;
  if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0) {
    delete image;
    return nullptr;
  }
  return image;
}

void DrawPiece(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int w, int h, int sx, int sy, int sw,
               int sh) {
  graphics.DrawImage(image, Gdiplus::Rect(x, y, w, h), sx, sy, sw, sh, Gdiplus::UnitPixel);
}
}  // namespace

Gdiplus::Image* MRender::LoadImageFromFile(CString path) {
  return KeepIfDecoded(Gdiplus::Image::FromFile(path.GetString()));
}

Gdiplus::Image* MRender::LoadImageFromFileEx(CString path, int width, int height) {
  Gdiplus::Image* original = LoadImageFromFile(path);
  if (original == nullptr) return nullptr;
  if (width == 0 && height == 0) {
    width = static_cast<int>(original->GetWidth());
    height = static_cast<int>(original->GetHeight());
  }
  Gdiplus::Image* thumbnail = original->GetThumbnailImage(static_cast<UINT>(width), static_cast<UINT>(height));
  delete original;
  return thumbnail;
}

HICON MRender::LoadIconFromFile(CString path) {
  std::wstring text = path.str();
  WORD index = 0;
  return platform::ExtractAssociatedIconW(nullptr, text.data(), &index);
}

void MRender::DrawImageFrame(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const CRect& dst, int sx, int sy,
                             int sw, int sh, int b) {
  const int L = dst.left, T = dst.top, R = dst.right, B = dst.bottom;
  DrawPiece(graphics, image, L, T, b, b, sx, sy, b, b);
  DrawPiece(graphics, image, L, T + b, b, B - T - 2 * b, sx, sy + b, b, sh - 2 * b);
  DrawPiece(graphics, image, L, B - b, b, b, sx, sy + sh - b, b, b);
  DrawPiece(graphics, image, L + b, T, R - L - 2 * b, b, sx + b, sy, sw - 2 * b, b);
  DrawPiece(graphics, image, R - b, T, b, b, sx + sw - b, sy, b, b);
  DrawPiece(graphics, image, R - b, T + b, b, B - T - 2 * b, sx + sw - b, sy + b, b, sh - 2 * b);
  DrawPiece(graphics, image, R - b, B - b, b, b, sx + sw - b, sy + sh - b, b, b);
  DrawPiece(graphics, image, L + b, B - b, R - L - 2 * b, b, sx + b, sy + sh - b, sw - 2 * b, b);
  DrawPiece(graphics, image, L + b, T + b, R - L - 2 * b, B - T - 2 * b, sx + b, sy + b, sw - 2 * b, sh - 2 * b);
}

void MRender::DrawImageFrameMID(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const CRect& dst, int sx, int sy,
                                int sw, int sh, int l, int t, int r, int b) {
  const int L = dst.left, T = dst.top, R = dst.right, B = dst.bottom;
  DrawPiece(graphics, image, L, T, l, t, sx, sy, l, t);
  DrawPiece(graphics, image, L, T + t, l, B - T - t - b, sx, sy + t, l, sh - t - b);
  DrawPiece(graphics, image, L, B - b, l, b, sx, sy + sh - b, l, b);
  DrawPiece(graphics, image, L + l, T, R - L - l - r, t, sx + l, sy, sw - l - r, t);
  DrawPiece(graphics, image, R - r, T, r, t, sx + sw - r, sy, r, t);
  DrawPiece(graphics, image, R - r, T + t, r, B - T - t - b, sx + sw - r, sy + t, r, sh - t - b);
  DrawPiece(graphics, image, R - r, B - b, r, b, sx + sw - r, sy + sh - b, r, b);
  DrawPiece(graphics, image, L + l, B - b, R - L - l - r, b, sx + l, sy + sh - b, sw - l - r, b);
  DrawPiece(graphics, image, L + l, T + t, R - L - l - r, B - T - t - b, sx + l, sy + t, sw - l - r, sh - t - b);
}

void MRender::DrawColor(HDC dc, const RECT& rect, DWORD argb) {
  if (argb < 0x01000000) return;
  Gdiplus::Graphics graphics(dc);
  Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
  graphics.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                         static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
}

Gdiplus::Size MRender::GetTextBounds(const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                                     const CString& text) {
  Gdiplus::FontFamily family;
  font.GetFamily(&family);
  Gdiplus::GraphicsPath path;
  path.AddString(text.GetString(), -1, &family, font.GetStyle(), font.PixelSize(), Gdiplus::PointF(0, 0), &format);
  Gdiplus::RectF bounds;
  path.GetBounds(&bounds);
  const double width = bounds.Width;
  int roundedWidth = static_cast<int>(width);
  if (width > roundedWidth) roundedWidth += 1;
  const double height = font.GetHeight(0.0f);
  const int roundedHeight = static_cast<int>(height + (height != std::floor(height) ? 4.0 : 1.0));
  return Gdiplus::Size(roundedWidth, roundedHeight);
}

Gdiplus::Size MRender::GetTextBounds(const Gdiplus::Font& font, const CString& text) {
  const Gdiplus::StringFormat format;
  return GetTextBounds(font, format, text);
}

void MRender::AddRoundedRectangle(Gdiplus::GraphicsPath& path, float x, float y, float width, float height,
                                  float radius) {
  const float d = radius * 2;
  path.AddArc(x, y, d, d, 180.0f, 90.0f);
  path.AddArc(x + width - d, y, d, d, 270.0f, 90.0f);
  path.AddArc(x + width - d, y + height - d, d, d, 0.0f, 90.0f);
  path.AddArc(x, y + height - d, d, d, 90.0f, 90.0f);
  path.CloseFigure();
}

namespace {
// Corner radii w / r / 2 and h / r / 2; when they differ by more than 10 both take the smaller.
void AddRoundFigure(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float r) {
  float rx = w / r / 2;
  float ry = h / r / 2;
  if (std::fabs(rx - ry) > 10) rx = ry = std::min(rx, ry);
  const float dx = rx * 2;
  const float dy = ry * 2;
  path.AddArc(x, y, dx, dy, 180.0f, 90.0f);
  path.AddArc(x + w - dx, y, dx, dy, 270.0f, 90.0f);
  path.AddArc(x + w - dx, y + h - dy, dx, dy, 0.0f, 90.0f);
  path.AddArc(x, y + h - dy, dx, dy, 90.0f, 90.0f);
  path.CloseFigure();
}
}  // namespace

void MRender::DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width, float height,
                                float radius, Gdiplus::Color pen) {
  DrawRoundRectange(graphics, x, y, width, height, radius, pen, 1.0f, false, Gdiplus::Color());
}

void MRender::DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width, float height,
                                float radius, Gdiplus::Color pen, float penWidth, bool fill,
                                Gdiplus::Color fillColour) {
  Gdiplus::GraphicsPath path;
  AddRoundFigure(path, x, y, width, height, radius);
  if (fill) {
    Gdiplus::SolidBrush brush(fillColour);
    graphics.FillPath(&brush, &path);
  }
  Gdiplus::Pen outline(pen, penWidth);
  graphics.DrawPath(&outline, &path);
}

}  // namespace Zelvo
