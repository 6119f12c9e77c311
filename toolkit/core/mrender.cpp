// MRender's GDI wrappers, placing arithmetic and the BMP writer.
#include "toolkit/core/mrender.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace Zelvo {

HDC MRender::CreateCompatibleDC(HDC dc) { return platform::CreateCompatibleDC(dc); }

HBITMAP MRender::CreateCompatibleBitmap(HDC dc, int width, int height) {
  return platform::CreateCompatibleBitmap(dc, width, height);
}

HBITMAP MRender::CreateARGB32Bitmap(HDC dc, int width, int height, BYTE** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height);
  void* pixels = nullptr;
  HBITMAP bitmap = platform::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bits != nullptr) *bits = static_cast<BYTE*>(pixels);
  return bitmap;
}

BOOL MRender::BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY) {
  return platform::BitBlt(dst, x, y, width, height, src, srcX, srcY, SRCCOPY);
}

BOOL MRender::BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  return platform::BitBlt(dst, x, y, width, height, src, srcX, srcY, rop);
}

void MRender::FillSolidRect(HDC& dc, const RECT* rect, COLORREF colour) {
  if (rect == nullptr) return;
  platform::SetBkColor(dc, colour);
  platform::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void MRender::FillSolidRect(HDC& dc, int x, int y, int width, int height, COLORREF colour) {
  const RECT rect{x, y, x + width, y + height};
  FillSolidRect(dc, &rect, colour);
}

void MRender::DrawTextW(HDC dc, CRect& rect, const wchar_t* text, COLORREF colour, HFONT font, UINT format) {
  if (text == nullptr) return;
  const int previousMode = platform::SetBkMode(dc, TRANSPARENT);
  const COLORREF previousColour = platform::SetTextColor(dc, colour);
  HGDIOBJ previousFont = font != nullptr ? platform::SelectObject(dc, font) : nullptr;
  platform::DrawTextW(dc, text, -1, &rect, format);
  if (previousFont != nullptr) platform::SelectObject(dc, previousFont);
  platform::SetTextColor(dc, previousColour);
  if (previousMode != 0) platform::SetBkMode(dc, previousMode);
}

CPoint MRender::GetOriginPoint(int width, int height, int cx, int cy, UINT hAlign, UINT vAlign) {
  CPoint point;
  if (hAlign == 1) {
    point.x = (width - cx) / 2;
  } else if (hAlign == 2) {
    point.x = width - cx;
  }
  if (vAlign == 4) {
    point.y = (height - cy) / 2;
  } else if (vAlign == 8) {
    point.y = height - cy;
  }
  return point;
}

CPoint MRender::GetOriginPoint(CRect rect, int cx, int cy, UINT hAlign, UINT vAlign) {
  const CPoint offset = GetOriginPoint(rect.Width(), rect.Height(), cx, cy, hAlign, vAlign);
  return CPoint(rect.left + offset.x, rect.top + offset.y + 2);
}

CRect MRender::GetImageRect(int width, int height, CRect rect) {
  const int boxWidth = rect.Width();
  const int boxHeight = rect.Height();
  int w = width;
  int h = height;
  if (boxHeight > 0 && width > 0 && height > 0) {
    const double ratio = static_cast<double>(boxWidth) / boxHeight;
    if (width > boxWidth && height > boxHeight) {
      if (static_cast<double>(width) / height > ratio) {
        w = boxWidth;
        h = boxWidth * height / width;
      } else {
        h = boxHeight;
        w = boxHeight * width / height;
      }
    } else if (width > boxWidth && height < boxHeight) {
      w = boxWidth;
      h = boxWidth * height / width;
    } else if (width < boxWidth && height > boxHeight) {
      h = boxHeight;
      w = boxHeight * width / height;
    }
  }
  const int left = rect.left + (boxWidth - w) / 2;
  const int top = rect.top + (boxHeight - h) / 2;
  return CRect(left, top, left + w, top + h);
}

void MRender::RotatePoint(Gdiplus::PointF& point, float degrees, const Gdiplus::PointF& centre) {
  const double angle = degrees * 3.1415926 / 180.0;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double x = point.X - centre.X;
  const double y = point.Y - centre.Y;
  point.X = static_cast<float>(centre.X + x * c - y * s);
  point.Y = static_cast<float>(centre.Y + y * c + x * s);
}

void MRender::CheckAlphaColor(DWORD& colour) {
  if ((colour & 0x00FFFFFF) == 0) colour += 1;
}

BOOL MRender::SaveBitmapToFile(HBITMAP bitmap, CString path) {
  BITMAP info{};
  if (bitmap == nullptr || platform::GetObjectW(bitmap, sizeof(info), &info) == 0) return FALSE;
  HDC screen = platform::CreateCompatibleDC(nullptr);
  const int depth = platform::GetDeviceCaps(screen, BITSPIXEL) * platform::GetDeviceCaps(screen, PLANES);
  WORD bits = 24;
  if (depth <= 1) {
    bits = 1;
  } else if (depth <= 4) {
    bits = 4;
  } else if (depth <= 8) {
    bits = 8;
  }
  // Palettes are not written; bit depths below 24 come only from displays we never have.
  if (bits < 24) bits = 24;
  const int width = info.bmWidth;
  const int height = info.bmHeight;
  const long stride = ((static_cast<long>(width) * bits + 31) / 32) * 4;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);

  // Read the bitmap bottom-up through a 32-bit DIB copy, then pack it to the file's depth.
  BYTE* dibBits = nullptr;
  HBITMAP dib = CreateARGB32Bitmap(screen, width, height, &dibBits);
  HDC source = platform::CreateCompatibleDC(nullptr);
  HGDIOBJ previousSource = platform::SelectObject(source, bitmap);
  HGDIOBJ previousScreen = platform::SelectObject(screen, dib);
  platform::BitBlt(screen, 0, 0, width, height, source, 0, 0, SRCCOPY);
  platform::GdiFlush();
  if (dibBits != nullptr) {
    for (int row = 0; row < height; ++row) {
      const BYTE* from = dibBits + static_cast<long>(row) * width * 4;
      BYTE* to = pixels.data() + row * stride;
      for (int x = 0; x < width; ++x) {
        to[x * 3 + 0] = from[x * 4 + 0];
        to[x * 3 + 1] = from[x * 4 + 1];
        to[x * 3 + 2] = from[x * 4 + 2];
      }
    }
  }
  platform::SelectObject(source, previousSource);
  platform::SelectObject(screen, previousScreen);
  platform::DeleteDC(source);
  platform::DeleteDC(screen);
  platform::DeleteObject(dib);

  FILE* file = std::fopen(ToUtf8(path.str()).c_str(), "wb");
  if (file == nullptr) return FALSE;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bits;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = 54;
  fileHeader.bfSize = static_cast<DWORD>(54 + pixels.size());
  bool written = std::fwrite(&fileHeader, sizeof(fileHeader), 1, file) == 1 &&
                 std::fwrite(&header, sizeof(header), 1, file) == 1 &&
                 std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
  written = (std::fclose(file) == 0) && written;
  return written ? TRUE : FALSE;
}

}  // namespace Zelvo
