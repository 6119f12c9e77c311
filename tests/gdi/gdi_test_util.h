// Small helpers for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace gdi_test {

// A memory DC with a DIB section selected; released on destruction.
struct DibDC {
  DibDC(int width, int height, bool bottomUp = true) {
    dc = platform::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = bottomUp ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap = platform::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = platform::SelectObject(dc, bitmap);
  }
  ~DibDC() {
    platform::SelectObject(dc, previous);
    platform::DeleteObject(bitmap);
    platform::DeleteDC(dc);
  }
  DibDC(const DibDC&) = delete;
  DibDC& operator=(const DibDC&) = delete;
  std::uint32_t At(int x, int y) const { return platform::GetBitmapPixels(bitmap)->PixelAt(x, y); }
  void Fill(std::uint32_t pixel) { platform::GetBitmapPixels(bitmap)->Clear(pixel); }
  void Set(int x, int y, std::uint32_t pixel) { platform::GetBitmapPixels(bitmap)->SetPixel(x, y, pixel); }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
};

}  // namespace gdi_test
