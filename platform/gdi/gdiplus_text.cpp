// GDI+ text: font families and collections, fonts, string formats, drawing and measuring
// strings, and string outlines in paths. Layout is pango's (text_engine.h).
//
// Placement of a string in a layout rectangle (x, y, w, h) with a block of laid-out text of
// width tw and height th (th = lines × line spacing):
//   near: x, centre: x + (w − tw) / 2, far: x + w − tw   (the same vertically with y, h, th)
// With a zero width (or height) the rectangle is a point: centre puts the middle of the text on
// it, far its end. Lines wrap at w unless NoWrap; text is clipped to the rectangle unless NoClip.
// Trailing spaces count only with MeasureTrailingSpaces. For the grid-fitted hints the block is
// placed on whole pixels.
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "platform/base/cstring.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/text_engine.h"

namespace Gdiplus {

namespace {

constexpr UINT16 kDesignEm = 2048;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

platform::TextQuality QualityOf(TextRenderingHint hint) {
  switch (hint) {
    case TextRenderingHintSingleBitPerPixelGridFit:
    case TextRenderingHintSingleBitPerPixel: return platform::TextQuality::Aliased;
    case TextRenderingHintAntiAlias: return platform::TextQuality::Smooth;
    default: return platform::TextQuality::GridFit;
  }
}

platform::TextStyle StyleOf(const FontFamily& family, INT style, double pixelSize) {
  platform::TextStyle s;
  s.family = family.pangoFamily();
  s.pixelSize = pixelSize;
  s.weight = (style & FontStyleBold) ? 700 : 400;
  s.italic = (style & FontStyleItalic) != 0;
  s.underline = (style & FontStyleUnderline) != 0;
  s.strikeout = (style & FontStyleStrikeout) != 0;
  return s;
}

std::wstring TextOf(const WCHAR* text, INT length) {
  if (!text) return std::wstring();
  return length < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(length));
}

struct PlacedText {
  PangoLayout* layout = nullptr;  // owned; drawn with its top-left at (x, y)
  double x = 0;
  double y = 0;
  RectF box;  // the text block as placed
  INT lines = 0;
};

// Lays out and places the string (caller holds LockText and unrefs the layout).
PlacedText Place(const std::wstring& original, const platform::TextStyle& style, platform::TextQuality quality,
                 const RectF& rect, const StringFormat& format) {
  const INT flags = format.GetFormatFlags();
  std::wstring text = original;
  if (!(flags & StringFormatFlagsMeasureTrailingSpaces)) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
  }
  PlacedText placed;
  placed.layout = platform::NewLayout(style, ToUtf8(text), quality);
  PangoLayout* layout = placed.layout;
  const bool wrap = !(flags & StringFormatFlagsNoWrap) && rect.Width > 0;
  const StringTrimming trimming = format.GetTrimming();
  const bool ellipsis = !wrap && rect.Width > 0 &&
                        (trimming == StringTrimmingEllipsisCharacter || trimming == StringTrimmingEllipsisWord ||
                         trimming == StringTrimmingEllipsisPath);
  if (wrap) {
    pango_layout_set_width(layout, static_cast<int>(rect.Width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  } else if (ellipsis) {
    pango_layout_set_width(layout, static_cast<int>(rect.Width * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, trimming == StringTrimmingEllipsisPath ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
  }
  PangoAlignment align = PANGO_ALIGN_LEFT;
  if (format.GetAlignment() == StringAlignmentCenter) align = PANGO_ALIGN_CENTER;
  if (format.GetAlignment() == StringAlignmentFar) align = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout, align);

  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  const double lx = logical.x / static_cast<double>(PANGO_SCALE);
  const double tw = logical.width / static_cast<double>(PANGO_SCALE);
  double th = logical.height / static_cast<double>(PANGO_SCALE);
  if (text.empty()) th = platform::MetricsOf(style, quality).lineHeight();
  placed.lines = pango_layout_get_line_count(layout);

  const bool fixedWidth = pango_layout_get_width(layout) > 0;
  double x = rect.X;
  if (!fixedWidth) {
    switch (format.GetAlignment()) {
      case StringAlignmentCenter: x = rect.X + (rect.Width - tw) / 2 - lx; break;
      case StringAlignmentFar: x = rect.X + rect.Width - tw - lx; break;
      default: x = rect.X - lx; break;
    }
  }
  double y = rect.Y;
  switch (format.GetLineAlignment()) {
    case StringAlignmentCenter: y = rect.Y + (rect.Height - th) / 2; break;
    case StringAlignmentFar: y = rect.Y + rect.Height - th; break;
    default: break;
  }
  if (quality != platform::TextQuality::Smooth) {
    x = std::round(x);
    y = std::round(y);
  }
  placed.x = x;
  placed.y = y;
  placed.box = RectF(static_cast<REAL>(x + lx), static_cast<REAL>(y), static_cast<REAL>(tw), static_cast<REAL>(th));
  return placed;
}

const StringFormat& FormatOrDefault(const StringFormat* format) {
  return format ? *format : *StringFormat::GenericDefault();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Families and collections.

FontFamily::FontFamily(const WCHAR* name, const FontCollection* collection) : lastStatus_(FontFamilyNotFound) {
  if (!name || !*name) {
    lastStatus_ = InvalidParameter;
    return;
  }
  family_ = ToUtf8(name);
  const bool found = collection ? collection->HasFamily(family_) : platform::FamilyAvailable(family_);
  lastStatus_ = found ? Ok : FontFamilyNotFound;
}

namespace {
FontFamily MakeGeneric(const wchar_t* name) {
  FontFamily f(name);
  return f;
}
}  // namespace

const FontFamily* FontFamily::GenericSansSerif() {
  static const FontFamily family = MakeGeneric(L"DejaVu Sans");
  return &family;
}

const FontFamily* FontFamily::GenericSerif() {
  static const FontFamily family = MakeGeneric(L"DejaVu Serif");
  return &family;
}

const FontFamily* FontFamily::GenericMonospace() {
  static const FontFamily family = MakeGeneric(L"DejaVu Sans Mono");
  return &family;
}

Status FontFamily::GetFamilyName(WCHAR name[LF_FACESIZE], LANGID) const {
  if (!name) return InvalidParameter;
  const std::wstring wide = FromUtf8(family_);
  std::wcsncpy(name, wide.c_str(), LF_FACESIZE - 1);
  name[LF_FACESIZE - 1] = 0;
  return lastStatus_ == Ok ? Ok : lastStatus_;
}

UINT16 FontFamily::GetEmHeight(INT) const { return kDesignEm; }

UINT16 FontFamily::GetCellAscent(INT style) const {
  auto lock = platform::LockText();
  return static_cast<UINT16>(std::lround(platform::MetricsOf(StyleOf(*this, style, kDesignEm), platform::TextQuality::Smooth).ascent));
}

UINT16 FontFamily::GetCellDescent(INT style) const {
  auto lock = platform::LockText();
  return static_cast<UINT16>(std::lround(platform::MetricsOf(StyleOf(*this, style, kDesignEm), platform::TextQuality::Smooth).descent));
}

UINT16 FontFamily::GetLineSpacing(INT style) const {
  return static_cast<UINT16>(GetCellAscent(style) + GetCellDescent(style));
}

Status FontCollection::GetFamilies(INT numSought, FontFamily* families, INT* numFound) const {
  if (!families || !numFound || numSought < 0) return InvalidParameter;
  const INT n = std::min<INT>(numSought, static_cast<INT>(families_.size()));
  for (INT i = 0; i < n; ++i) {
    families[i].family_ = families_[static_cast<size_t>(i)];
    families[i].lastStatus_ = Ok;
  }
  *numFound = n;
  return Ok;
}

bool FontCollection::HasFamily(const std::string& family) const {
  const std::string wanted = Lower(family);
  for (const auto& f : families_)
    if (Lower(f) == wanted) return true;
  return false;
}

InstalledFontCollection::InstalledFontCollection() {
  auto lock = platform::LockText();
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch) {
        const std::string f = reinterpret_cast<const char*>(name);
        if (!HasFamily(f)) families_.push_back(f);
      }
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(families_.begin(), families_.end());
}

// Fonts added to a private collection stay registered for the process after the collection is
// deleted, so families taken from it stay usable.
PrivateFontCollection::~PrivateFontCollection() = default;

Status PrivateFontCollection::AddFontFile(const WCHAR* fileName) {
  if (!fileName) return lastStatus_ = InvalidParameter;
  std::vector<std::string> families;
  if (platform::RegisterFontFile(ToUtf8(fileName), &families) == 0) return lastStatus_ = FileNotFound;
  for (auto& f : families)
    if (!HasFamily(f)) families_.push_back(f);
  return Ok;
}

Status PrivateFontCollection::AddMemoryFont(const void* memory, INT length) {
  if (!memory || length <= 0) return lastStatus_ = InvalidParameter;
  std::vector<std::string> families;
  void* registration = platform::RegisterFontBytes(memory, static_cast<std::size_t>(length), &families);
  if (!registration) return lastStatus_ = GenericError;
  registrations_.push_back(registration);
  for (auto& f : families)
    if (!HasFamily(f)) families_.push_back(f);
  return Ok;
}

// ---------------------------------------------------------------------------------------------
// Fonts.

Font::Font(const FontFamily* family, REAL emSize, INT style, Unit unit)
    : family_(family ? *family : FontFamily()), emSize_(emSize), style_(style), unit_(unit), lastStatus_(Ok) {
  if (!family || family->GetLastStatus() != Ok || emSize <= 0) lastStatus_ = InvalidParameter;
}

Font::Font(const WCHAR* familyName, REAL emSize, INT style, Unit unit, const FontCollection* collection)
    : family_(familyName, collection), emSize_(emSize), style_(style), unit_(unit), lastStatus_(Ok) {
  if (family_.GetLastStatus() != Ok) lastStatus_ = family_.GetLastStatus();
  else if (emSize <= 0) lastStatus_ = InvalidParameter;
}

Font::Font(HDC, const LOGFONTW* logfont) : emSize_(0), style_(0), unit_(UnitPixel), lastStatus_(Ok) {
  if (!logfont) {
    lastStatus_ = InvalidParameter;
    return;
  }
  const std::wstring face(logfont->lfFaceName, wcsnlen(logfont->lfFaceName, LF_FACESIZE));
  family_ = FontFamily(face.c_str());
  if (family_.GetLastStatus() != Ok) lastStatus_ = family_.GetLastStatus();
  emSize_ = static_cast<REAL>(logfont->lfHeight < 0 ? -logfont->lfHeight : (logfont->lfHeight > 0 ? logfont->lfHeight : 12));
  if (logfont->lfWeight >= FW_BOLD) style_ |= FontStyleBold;
  if (logfont->lfItalic) style_ |= FontStyleItalic;
  if (logfont->lfUnderline) style_ |= FontStyleUnderline;
  if (logfont->lfStrikeOut) style_ |= FontStyleStrikeout;
}

Font::Font(HDC dc, HFONT font) : Font(dc, [font] {
  platform::FontObject* o = platform::LookupFont(font);
  return o ? &o->logfont : nullptr;
}()) {}

Status Font::GetFamily(FontFamily* family) const {
  if (!family) return InvalidParameter;
  *family = family_;
  return Ok;
}

REAL Font::PixelSize() const {
  switch (unit_) {
    case UnitPoint: return emSize_ * 96.0f / 72.0f;
    case UnitInch: return emSize_ * 96.0f;
    case UnitDocument: return emSize_ * 96.0f / 300.0f;
    case UnitMillimeter: return emSize_ * 96.0f / 25.4f;
    default: return emSize_;  // world, display and pixel units are pixels here
  }
}

REAL Font::GetHeight(REAL dpi) const {
  if (lastStatus_ != Ok) return 0;
  double pixels = PixelSize();
  if (unit_ != UnitPixel && unit_ != UnitWorld && unit_ != UnitDisplay) pixels = pixels * dpi / 96.0;
  if (pixels <= 0) return 0;
  auto lock = platform::LockText();
  return static_cast<REAL>(platform::MetricsOf(StyleOf(family_, style_, pixels), platform::TextQuality::Smooth).lineHeight());
}

REAL Font::GetHeight(const Graphics* graphics) const { return GetHeight(graphics ? graphics->GetDpiY() : 96.0f); }

Status Font::GetLogFontW(const Graphics*, LOGFONTW* logfont) const {
  if (!logfont) return InvalidParameter;
  std::memset(logfont, 0, sizeof(*logfont));
  logfont->lfHeight = -static_cast<LONG>(std::lround(PixelSize()));
  logfont->lfWeight = (style_ & FontStyleBold) ? FW_BOLD : FW_NORMAL;
  logfont->lfItalic = (style_ & FontStyleItalic) ? 1 : 0;
  logfont->lfUnderline = (style_ & FontStyleUnderline) ? 1 : 0;
  logfont->lfStrikeOut = (style_ & FontStyleStrikeout) ? 1 : 0;
  logfont->lfCharSet = DEFAULT_CHARSET;
  family_.GetFamilyName(logfont->lfFaceName);
  return Ok;
}

// ---------------------------------------------------------------------------------------------
// String formats.

StringFormat::StringFormat(const StringFormat* format) : StringFormat(format ? *format : StringFormat()) {}

const StringFormat* StringFormat::GenericDefault() {
  static const StringFormat format;
  return &format;
}

const StringFormat* StringFormat::GenericTypographic() {
  static const StringFormat format = [] {
    StringFormat f(StringFormatFlagsNoFitBlackBox | StringFormatFlagsLineLimit | StringFormatFlagsNoClip);
    f.SetTrimming(StringTrimmingNone);
    return f;
  }();
  return &format;
}

// ---------------------------------------------------------------------------------------------
// Drawing and measuring.

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                            const StringFormat* format, const Brush* brush) {
  if (!cr_ || !text || !font || !brush) return Record(InvalidParameter);
  if (font->GetLastStatus() != Ok) return Record(InvalidParameter);
  const std::wstring wide = TextOf(text, length);
  if (wide.empty()) return Ok;
  const StringFormat& f = FormatOrDefault(format);
  const platform::TextQuality quality = QualityOf(textHint_);
  auto lock = platform::LockText();
  PlacedText placed = Place(wide, StyleOf(font->family(), font->GetStyle(), font->PixelSize()), quality, layoutRect, f);
  cairo_save(cr_);
  cairo_set_operator(cr_, compositing_ == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  if (!(f.GetFormatFlags() & StringFormatFlagsNoClip) && layoutRect.Width > 0 && layoutRect.Height > 0) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, layoutRect.X, layoutRect.Y, layoutRect.Width, layoutRect.Height);
    cairo_clip(cr_);
  }
  cairo_pattern_t* pattern = brush->CreatePattern();
  cairo_set_source(cr_, pattern);
  cairo_pattern_destroy(pattern);
  cairo_new_path(cr_);
  cairo_move_to(cr_, placed.x, placed.y);
  pango_cairo_show_layout(cr_, placed.layout);
  cairo_restore(cr_);
  g_object_unref(placed.layout);
  return Ok;
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                            const StringFormat* format, const Brush* brush) {
  return DrawString(text, length, font, RectF(origin.X, origin.Y, 0, 0), format, brush);
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush) {
  return DrawString(text, length, font, RectF(origin.X, origin.Y, 0, 0), nullptr, brush);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                               const StringFormat* format, RectF* boundingBox, INT* codepointsFitted,
                               INT* linesFilled) const {
  if (!text || !font || !boundingBox) return Record(InvalidParameter);
  if (font->GetLastStatus() != Ok) return Record(InvalidParameter);
  const std::wstring wide = TextOf(text, length);
  const platform::TextQuality quality = QualityOf(textHint_);
  auto lock = platform::LockText();
  PlacedText placed =
      Place(wide, StyleOf(font->family(), font->GetStyle(), font->PixelSize()), quality, layoutRect, FormatOrDefault(format));
  *boundingBox = wide.empty() ? RectF(layoutRect.X, layoutRect.Y, 0, 0) : placed.box;
  if (codepointsFitted) *codepointsFitted = static_cast<INT>(wide.size());
  if (linesFilled) *linesFilled = wide.empty() ? 0 : placed.lines;
  g_object_unref(placed.layout);
  return Ok;
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                               const StringFormat* format, RectF* boundingBox) const {
  return MeasureString(text, length, font, RectF(origin.X, origin.Y, 0, 0), format, boundingBox);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                               RectF* boundingBox) const {
  return MeasureString(text, length, font, layoutRect, nullptr, boundingBox);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                               RectF* boundingBox) const {
  return MeasureString(text, length, font, RectF(origin.X, origin.Y, 0, 0), nullptr, boundingBox);
}

// ---------------------------------------------------------------------------------------------
// String outlines.

Status GraphicsPath::AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                               const RectF& layoutRect, const StringFormat* format) {
  if (!text || !family || family->GetLastStatus() != Ok || emSize <= 0) return lastStatus_ = InvalidParameter;
  const std::wstring wide = TextOf(text, length);
  if (wide.empty()) return Ok;
  auto lock = platform::LockText();
  PlacedText placed = Place(wide, StyleOf(*family, style, emSize), platform::TextQuality::Smooth, layoutRect,
                            FormatOrDefault(format));
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  cairo_move_to(cr, placed.x, placed.y);
  pango_cairo_layout_path(cr, placed.layout);
  cairo_path_t* path = cairo_copy_path(cr);
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    auto p = [&](int k) { return PointF(static_cast<REAL>(d[k].point.x), static_cast<REAL>(d[k].point.y)); };
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO: elements_.push_back(Element{Op::MoveTo, {p(1), PointF(), PointF()}}); break;
      case CAIRO_PATH_LINE_TO: elements_.push_back(Element{Op::LineTo, {p(1), PointF(), PointF()}}); break;
      case CAIRO_PATH_CURVE_TO: elements_.push_back(Element{Op::CurveTo, {p(1), p(2), p(3)}}); break;
      case CAIRO_PATH_CLOSE_PATH: elements_.push_back(Element{Op::Close, {}}); break;
    }
  }
  cairo_path_destroy(path);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  g_object_unref(placed.layout);
  figureOpen_ = false;
  return Ok;
}

Status GraphicsPath::AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                               const PointF& origin, const StringFormat* format) {
  return AddString(text, length, family, style, emSize, RectF(origin.X, origin.Y, 0, 0), format);
}

Status GraphicsPath::AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                               const Rect& layoutRect, const StringFormat* format) {
  return AddString(text, length, family, style, emSize,
                   RectF(static_cast<REAL>(layoutRect.X), static_cast<REAL>(layoutRect.Y),
                         static_cast<REAL>(layoutRect.Width), static_cast<REAL>(layoutRect.Height)),
                   format);
}

}  // namespace Gdiplus
