#include "platform/x11/x11_cursor.h"

#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>

namespace platform::x11 {

namespace {
struct CursorEntry {
  unsigned int stockId;
  unsigned int glyph;
};
struct GlyphName {
  unsigned int glyph;
  const char* name;  // the cursor theme name of the glyph
};
// Named cursors let the desktop (and tests) tell which one is shown.
constexpr GlyphName kGlyphNames[] = {
    {XC_left_ptr, "left_ptr"},
    {XC_xterm, "xterm"},
    {XC_watch, "watch"},
    {XC_crosshair, "crosshair"},
    {XC_center_ptr, "center_ptr"},
    {XC_bottom_right_corner, "bottom_right_corner"},
    {XC_bottom_left_corner, "bottom_left_corner"},
    {XC_sb_h_double_arrow, "sb_h_double_arrow"},
    {XC_sb_v_double_arrow, "sb_v_double_arrow"},
    {XC_fleur, "fleur"},
    {XC_X_cursor, "X_cursor"},
    {XC_hand2, "hand2"},
    {XC_question_arrow, "question_arrow"},
};
// The stock cursors by their identifiers; the toolkit's named cursors ("arrow", "wait",
// "cross", "sizewe", "sizens", "hand", "help") and the text I-beam are among them.
constexpr CursorEntry kCursors[] = {
    {32512, XC_left_ptr},             // IDC_ARROW
    {32513, XC_xterm},                // IDC_IBEAM
    {32514, XC_watch},                // IDC_WAIT
    {32515, XC_crosshair},            // IDC_CROSS
    {32516, XC_center_ptr},           // IDC_UPARROW
    {32642, XC_bottom_right_corner},  // IDC_SIZENWSE
    {32643, XC_bottom_left_corner},   // IDC_SIZENESW
    {32644, XC_sb_h_double_arrow},    // IDC_SIZEWE
    {32645, XC_sb_v_double_arrow},    // IDC_SIZENS
    {32646, XC_fleur},                // IDC_SIZEALL
    {32648, XC_X_cursor},             // IDC_NO
    {32649, XC_hand2},                // IDC_HAND
    {32650, XC_watch},                // IDC_APPSTARTING
    {32651, XC_question_arrow},       // IDC_HELP
};
}  // namespace

unsigned int CursorFontGlyph(unsigned int stockId) {
  for (const CursorEntry& entry : kCursors) {
    if (entry.stockId == stockId) return entry.glyph;
  }
  return XC_left_ptr;
}

Cursor CursorCache::Get(Display* display, unsigned int stockId) {
  unsigned int glyph = CursorFontGlyph(stockId);
  auto found = cursors_.find(glyph);
  if (found != cursors_.end()) return found->second;
  Cursor cursor = XCreateFontCursor(display, glyph);
  int eventBase = 0, errorBase = 0;
  if (cursor != None && XFixesQueryExtension(display, &eventBase, &errorBase)) {
    for (const GlyphName& entry : kGlyphNames) {
      if (entry.glyph == glyph) XFixesSetCursorName(display, cursor, entry.name);
    }
  }
  cursors_[glyph] = cursor;
  return cursor;
}

void CursorCache::Release(Display* display) {
  for (auto& [glyph, cursor] : cursors_) XFreeCursor(display, cursor);
  cursors_.clear();
}

}  // namespace platform::x11
