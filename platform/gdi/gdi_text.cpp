// GDI text: fonts from LOGFONTW, measuring, DrawTextW, TextOutW, ExtTextOutW, and fonts added
// from memory and files. Text is laid out with pango (text_engine.h) and written as GDI writes
// it: the glyph coverage blends the text colour into the colour bytes already there and the
// touched pixels get alpha 0.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/base/cstring.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/text_engine.h"

namespace platform {

namespace {

TextStyle StyleOf(const LOGFONTW& f) {
  TextStyle style;
  style.family = ToUtf8(std::wstring_view(f.lfFaceName, wcsnlen(f.lfFaceName, LF_FACESIZE)));
  style.weight = f.lfWeight == 0 ? FW_NORMAL : static_cast<int>(f.lfWeight);
  style.italic = f.lfItalic != 0;
  style.underline = f.lfUnderline != 0;
  style.strikeout = f.lfStrikeOut != 0;
  if (f.lfHeight < 0) {
    style.pixelSize = -f.lfHeight;
  } else if (f.lfHeight > 0) {
    // A positive height is the cell height (ascent + descent): scale the em to fit it.
    TextStyle probe = style;
    probe.pixelSize = f.lfHeight;
    const FontMetrics m = MetricsOf(probe, TextQuality::Smooth);
    style.pixelSize = m.lineHeight() > 0 ? f.lfHeight * f.lfHeight / m.lineHeight() : f.lfHeight;
  } else {
    style.pixelSize = 12;
  }
  return style;
}

TextQuality QualityOf(const LOGFONTW& f) {
  return f.lfQuality == NONANTIALIASED_QUALITY ? TextQuality::Aliased : TextQuality::GridFit;
}

std::wstring TextOf(LPCWSTR text, int length) {
  if (!text) return std::wstring();
  if (length < 0) return std::wstring(text);
  return std::wstring(text, static_cast<size_t>(length));
}

// "&x" shows "x" and "&&" shows "&".
std::wstring RemovePrefixes(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    else if (text[i] == L'&') continue;
    out += text[i];
  }
  return out;
}

struct Extent {
  int width = 0;
  int height = 0;
};

Extent LogicalExtent(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  return Extent{logical.width, logical.height};
}

// Blends the layout's coverage at device (x, y) into the DC's pixels inside `clipDevice`.
void CompositeText(DeviceContext* dc, PangoLayout* layout, int x, int y, const RECT& clipDevice, COLORREF colour) {
  Bitmap* target = dc->Surface();
  if (!target) return;
  const std::vector<RECT> parts = ClipToDC(dc, clipDevice);
  if (parts.empty()) return;
  RECT box = parts[0];
  for (const RECT& r : parts) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* cr = cairo_create(mask);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  cairo_move_to(cr, x - box.left, y - box.top);
  pango_cairo_show_layout(cr, layout);
  cairo_destroy(cr);
  cairo_surface_flush(mask);
  const unsigned char* coverage = cairo_image_surface_get_data(mask);
  const int maskStride = cairo_image_surface_get_stride(mask);
  const std::uint32_t tc[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
  target->Flush();
  for (const RECT& r : parts) {
    for (LONG yy = r.top; yy < r.bottom; ++yy) {
      const unsigned char* cov = coverage + static_cast<long>(yy - box.top) * maskStride;
      std::uint32_t* row = target->row(yy);
      for (LONG xx = r.left; xx < r.right; ++xx) {
        const std::uint32_t a = cov[xx - box.left];
        if (a == 0) continue;
        const std::uint32_t d = row[xx];
        std::uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
          const std::uint32_t dc8 = (d >> (8 * c)) & 0xFF;
          out |= Div255(tc[c] * a + dc8 * (255 - a)) << (8 * c);
        }
        row[xx] = out;  // alpha 0, as GDI leaves it
      }
    }
  }
  target->MarkDirty();
  cairo_surface_destroy(mask);
}

void FillDevice(DeviceContext* dc, const RECT& deviceRect, COLORREF colour) {
  Bitmap* target = dc->Surface();
  if (!target) return;
  target->Flush();
  const std::uint32_t pixel = GdiPixel(colour);
  for (const RECT& r : ClipToDC(dc, deviceRect))
    for (LONG y = r.top; y < r.bottom; ++y) std::fill(target->row(y) + r.left, target->row(y) + r.right, pixel);
  target->MarkDirty();
}

const LOGFONTW& SelectedFont(DeviceContext* dc) {
  return dc->state.font ? dc->state.font->logfont : DefaultGuiLogFont();
}

}  // namespace

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) {
  DeviceContext* context = LookupDC(dc);
  if (!context || !size || !text || length < 0) return FALSE;
  const LOGFONTW& font = SelectedFont(context);
  auto lock = LockText();
  const TextStyle style = StyleOf(font);
  PangoLayout* layout = NewLayout(style, ToUtf8(TextOf(text, length)), QualityOf(font));
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  const Extent e = LogicalExtent(layout);
  g_object_unref(layout);
  size->cx = e.width;
  size->cy = length == 0 ? static_cast<LONG>(std::ceil(MetricsOf(style, QualityOf(font)).lineHeight())) : e.height;
  return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  DeviceContext* context = LookupDC(dc);
  if (!context || !metrics) return FALSE;
  const LOGFONTW& font = SelectedFont(context);
  auto lock = LockText();
  const TextStyle style = StyleOf(font);
  const FontMetrics m = MetricsOf(style, QualityOf(font));
  std::memset(metrics, 0, sizeof(*metrics));
  metrics->tmAscent = static_cast<LONG>(std::ceil(m.ascent));
  metrics->tmDescent = static_cast<LONG>(std::ceil(m.descent));
  metrics->tmHeight = metrics->tmAscent + metrics->tmDescent;
  metrics->tmInternalLeading = std::max<LONG>(0, metrics->tmHeight - static_cast<LONG>(std::lround(style.pixelSize)));
  metrics->tmAveCharWidth = static_cast<LONG>(std::lround(m.averageCharWidth));
  metrics->tmMaxCharWidth = static_cast<LONG>(std::lround(m.averageCharWidth * 2));
  metrics->tmWeight = style.weight;
  metrics->tmItalic = style.italic;
  metrics->tmUnderlined = style.underline;
  metrics->tmStruckOut = style.strikeout;
  metrics->tmCharSet = font.lfCharSet;
  metrics->tmFirstChar = 0x20;
  metrics->tmLastChar = 0xFFFC;
  metrics->tmDefaultChar = L'?';
  metrics->tmBreakChar = L' ';
  metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) {
  DeviceContext* context = LookupDC(dc);
  if (!context || !text || !rect) return 0;
  std::wstring wide = TextOf(text, length);
  if (!(format & DT_NOPREFIX)) wide = RemovePrefixes(wide);
  const LOGFONTW& font = SelectedFont(context);
  auto lock = LockText();
  const TextStyle style = StyleOf(font);
  const TextQuality quality = QualityOf(font);
  const int lineHeight = static_cast<int>(std::ceil(MetricsOf(style, quality).lineHeight()));
  PangoLayout* layout = NewLayout(style, ToUtf8(wide), quality);
  const int rectWidth = rect->right - rect->left;
  const int rectHeight = rect->bottom - rect->top;
  const bool single = format & DT_SINGLELINE;
  pango_layout_set_single_paragraph_mode(layout, single ? TRUE : FALSE);
  const bool ellipsis = format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
  const bool wrap = !single && (format & DT_WORDBREAK);
  if (wrap && rectWidth > 0) {
    pango_layout_set_width(layout, rectWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  if (ellipsis && !(format & DT_CALCRECT) && rectWidth > 0) {
    pango_layout_set_width(layout, rectWidth * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, (format & DT_PATH_ELLIPSIS) ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
  }
  // Lines align inside the rectangle (or inside the widest line when the width is not fixed).
  PangoAlignment align = PANGO_ALIGN_LEFT;
  if (format & DT_CENTER) align = PANGO_ALIGN_CENTER;
  else if (format & DT_RIGHT) align = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout, align);

  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  const int textWidth = logical.width;
  const int textHeight = wide.empty() ? lineHeight : logical.height;

  if (format & DT_CALCRECT) {
    g_object_unref(layout);
    rect->right = rect->left + textWidth;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }

  // Position: with a fixed layout width pango has aligned the lines inside it; otherwise the
  // block is placed here.
  const bool fixedWidth = pango_layout_get_width(layout) > 0;
  int x = rect->left;
  if (!fixedWidth) {
    if (format & DT_CENTER) x = rect->left + (rectWidth - textWidth) / 2;
    else if (format & DT_RIGHT) x = rect->right - textWidth;
    x -= logical.x;
  }
  int y = rect->top;
  if (single) {
    if (format & DT_VCENTER) y = rect->top + (rectHeight - textHeight) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - textHeight;
  }
  const POINT o = context->state.viewportOrigin;
  RECT clip = (format & DT_NOCLIP) ? RECT{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28}
                                   : RECT{rect->left + o.x, rect->top + o.y, rect->right + o.x, rect->bottom + o.y};
  if (context->state.bkMode == OPAQUE) {
    const int boxLeft = fixedWidth ? rect->left + logical.x : x + logical.x;
    RECT box{boxLeft + o.x, y + o.y, boxLeft + textWidth + o.x, y + textHeight + o.y};
    box.left = std::max(box.left, clip.left);
    box.top = std::max(box.top, clip.top);
    box.right = std::min(box.right, clip.right);
    box.bottom = std::min(box.bottom, clip.bottom);
    FillDevice(context, box, context->state.bkColour);
  }
  CompositeText(context, layout, x + o.x, y + o.y, clip, context->state.textColour);
  g_object_unref(layout);
  return textHeight;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return FALSE;
  const POINT o = context->state.viewportOrigin;
  if ((options & ETO_OPAQUE) && rect)
    FillDevice(context, RECT{rect->left + o.x, rect->top + o.y, rect->right + o.x, rect->bottom + o.y},
               context->state.bkColour);
  if (!text || length == 0) return TRUE;
  const LOGFONTW& font = SelectedFont(context);
  auto lock = LockText();
  PangoLayout* layout = NewLayout(StyleOf(font), ToUtf8(TextOf(text, static_cast<int>(length))), QualityOf(font));
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  const Extent e = LogicalExtent(layout);
  RECT clip = (options & ETO_CLIPPED) && rect
                  ? RECT{rect->left + o.x, rect->top + o.y, rect->right + o.x, rect->bottom + o.y}
                  : RECT{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};
  if (context->state.bkMode == OPAQUE && !(options & ETO_OPAQUE))
    FillDevice(context, RECT{x + o.x, y + o.y, x + o.x + e.width, y + o.y + e.height}, context->state.bkColour);
  CompositeText(context, layout, x + o.x, y + o.y, clip, context->state.textColour);
  g_object_unref(layout);
  return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  if (!text || length < 0) return FALSE;
  return ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

HANDLE AddFontMemResourceEx(void* data, DWORD size, void* reserved, DWORD* fontCount) {
  if (fontCount) *fontCount = 0;
  if (!data || size == 0 || reserved) return nullptr;
  std::vector<std::string> families;
  void* handle = RegisterFontBytes(data, size, &families);
  if (handle && fontCount) *fontCount = static_cast<DWORD>(families.size());
  return handle;
}

BOOL RemoveFontMemResourceEx(HANDLE handle) { return UnregisterFontBytes(handle) ? TRUE : FALSE; }

int AddFontResourceExW(LPCWSTR path, DWORD flags, void* reserved) {
  if (!path || reserved) return 0;
  return RegisterFontFile(ToUtf8(path), nullptr);
}

BOOL RemoveFontResourceExW(LPCWSTR path, DWORD flags, void* reserved) {
  if (!path) return FALSE;
  return UnregisterFontFile(ToUtf8(path)) ? TRUE : FALSE;
}

}  // namespace platform
