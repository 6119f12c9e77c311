// Process-wide state of the drawing layer (listed in platform/base/process_state.h).
#pragma once

#include <mutex>
#include <unordered_set>

#include "platform/base/win_types.h"

namespace platform {

struct StockObjects;
struct TextEngine;
struct ResourceRegistry;

struct GdiState {
  std::mutex handleLock;  // guards the three handle sets below
  std::unordered_set<const void*> dcs;  // live device contexts (HDC)
  std::unordered_set<const void*> objects;  // live bitmaps, brushes, pens, fonts, regions
  std::unordered_set<const void*> icons;  // live icons (HICON)
  std::once_flag stockOnce;
  StockObjects* stock = nullptr;  // stock brushes, pens, fonts and the default 1 x 1 bitmap; never freed
  std::once_flag textOnce;
  TextEngine* text = nullptr;  // pango font map, fontconfig fonts added from files and memory; never freed
  std::once_flag resourcesOnce;
  ResourceRegistry* resources = nullptr;  // module resources registered at load; never freed
  std::mutex gdiplusLock;  // guards the start-up record
  ULONG_PTR gdiplusTokens = 0;  // GdiplusStartup calls not yet shut down
};

}  // namespace platform
