// The stock cursors on X: each IDC_* identifier as a cursor of the standard cursor font, made on
// first use and kept for the connection's life.
#pragma once

#include "platform/x11/x11_display.h"

#include <map>

namespace platform::x11 {

// The cursor-font glyph (XC_*) of a stock cursor identifier (32512 IDC_ARROW ...); the arrow's
// glyph for identifiers we do not know.
unsigned int CursorFontGlyph(unsigned int stockId);

class CursorCache {
 public:
  Cursor Get(Display* display, unsigned int stockId);
  // Frees the cursors; call while the connection is alive.
  void Release(Display* display);

 private:
  std::map<unsigned int, Cursor> cursors_;  // by glyph
};

}  // namespace platform::x11
