// GDI+ drawing: Graphics over cairo, brushes, pens, paths, start-up.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/base/process_state.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/image_decode.h"

namespace Gdiplus {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 1 x 1 repeating surface holding the exact premultiplied colour: solid fills then composite
// with pixman's exact rounding instead of cairo's 16-bit colour path.
cairo_pattern_t* SolidPattern(const Color& colour) {
  cairo_surface_t* pixel = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_surface_flush(pixel);
  const ARGB v = colour.GetValue();
  *reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(pixel)) = platform::PremultiplyRgba(
      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v),
      static_cast<std::uint8_t>(v >> 24));
  cairo_surface_mark_dirty(pixel);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(pixel);
  cairo_surface_destroy(pixel);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

void AddStops(cairo_pattern_t* pattern, const Color& c1, const Color& c2) {
  cairo_pattern_add_color_stop_rgba(pattern, 0, c1.GetR() / 255.0, c1.GetG() / 255.0, c1.GetB() / 255.0, c1.GetA() / 255.0);
  cairo_pattern_add_color_stop_rgba(pattern, 1, c2.GetR() / 255.0, c2.GetG() / 255.0, c2.GetB() / 255.0, c2.GetA() / 255.0);
}

bool IsOddWidth(REAL width) {
  const long w = std::lround(width);
  return std::fabs(width - static_cast<REAL>(w)) < 0.01f && (w % 2) == 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Start-up.

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input || input->GdiplusVersion != 1) return InvalidParameter;
  platform::GdiState& gdi = platform::State().gdi;
  std::lock_guard<std::mutex> lock(gdi.gdiplusLock);
  *token = ++gdi.gdiplusTokens;
  if (output) *output = GdiplusStartupOutput();
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  platform::GdiState& gdi = platform::State().gdi;
  std::lock_guard<std::mutex> lock(gdi.gdiplusLock);
  if (token != 0 && gdi.gdiplusTokens > 0) --gdi.gdiplusTokens;
}

// ---------------------------------------------------------------------------------------------
// Brushes and pens.

Brush::~Brush() = default;

Status SolidBrush::GetColor(Color* colour) const {
  if (!colour) return InvalidParameter;
  *colour = colour_;
  return Ok;
}

Status SolidBrush::SetColor(const Color& colour) {
  colour_ = colour;
  return Ok;
}

cairo_pattern_t* SolidBrush::CreatePattern() const { return SolidPattern(colour_); }

TextureBrush::TextureBrush(Image* image, WrapMode wrap) : Brush(BrushTypeTextureFill), wrap_(wrap) {
  platform::Bitmap* source = image ? image->ActiveFrame() : nullptr;
  if (!source) {
    lastStatus_ = InvalidParameter;
    return;
  }
  auto tile = std::make_shared<platform::Bitmap>(source->width(), source->height());
  source->Flush();
  for (int y = 0; y < source->height(); ++y)
    std::memcpy(tile->row(y), source->row(y), sizeof(std::uint32_t) * static_cast<size_t>(source->width()));
  tile->MarkDirty();
  tile_ = std::move(tile);
}

TextureBrush::TextureBrush(Image* image, WrapMode wrap, const Rect& sourceRect) : Brush(BrushTypeTextureFill), wrap_(wrap) {
  platform::Bitmap* source = image ? image->ActiveFrame() : nullptr;
  if (!source || sourceRect.X < 0 || sourceRect.Y < 0 || sourceRect.Width <= 0 || sourceRect.Height <= 0 ||
      sourceRect.X + sourceRect.Width > source->width() || sourceRect.Y + sourceRect.Height > source->height()) {
    lastStatus_ = InvalidParameter;
    return;
  }
  auto tile = std::make_shared<platform::Bitmap>(sourceRect.Width, sourceRect.Height);
  source->Flush();
  for (int y = 0; y < sourceRect.Height; ++y)
    std::memcpy(tile->row(y), source->row(sourceRect.Y + y) + sourceRect.X,
                sizeof(std::uint32_t) * static_cast<size_t>(sourceRect.Width));
  tile->MarkDirty();
  tile_ = std::move(tile);
}

TextureBrush::~TextureBrush() = default;

Brush* TextureBrush::Clone() const {
  auto* copy = new TextureBrush();
  copy->tile_ = tile_;
  copy->wrap_ = wrap_;
  copy->dx_ = dx_;
  copy->dy_ = dy_;
  copy->lastStatus_ = lastStatus_;
  return copy;
}

Status TextureBrush::TranslateTransform(REAL dx, REAL dy, MatrixOrder) {
  dx_ += dx;
  dy_ += dy;
  return Ok;
}

Status TextureBrush::ResetTransform() {
  dx_ = dy_ = 0;
  return Ok;
}

cairo_pattern_t* TextureBrush::CreatePattern() const {
  if (!tile_) return SolidPattern(Color(0));
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile_->surface());
  switch (wrap_) {
    case WrapModeClamp: cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE); break;
    case WrapModeTile: cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT); break;
    default: cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REFLECT); break;
  }
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -dx_, -dy_);
  cairo_pattern_set_matrix(pattern, &m);
  return pattern;
}

LinearGradientBrush::LinearGradientBrush(const PointF& p1, const PointF& p2, const Color& c1, const Color& c2)
    : Brush(BrushTypeLinearGradient), p1_(p1), p2_(p2), c1_(c1), c2_(c2) {}

LinearGradientBrush::LinearGradientBrush(const Point& p1, const Point& p2, const Color& c1, const Color& c2)
    : LinearGradientBrush(PointF(static_cast<REAL>(p1.X), static_cast<REAL>(p1.Y)),
                          PointF(static_cast<REAL>(p2.X), static_cast<REAL>(p2.Y)), c1, c2) {}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, const Color& c1, const Color& c2, LinearGradientMode mode)
    : Brush(BrushTypeLinearGradient), p1_(rect.X, rect.Y), c1_(c1), c2_(c2) {
  switch (mode) {
    case LinearGradientModeHorizontal: p2_ = PointF(rect.X + rect.Width, rect.Y); break;
    case LinearGradientModeVertical: p2_ = PointF(rect.X, rect.Y + rect.Height); break;
    case LinearGradientModeForwardDiagonal: p2_ = PointF(rect.X + rect.Width, rect.Y + rect.Height); break;
    case LinearGradientModeBackwardDiagonal:
      p1_ = PointF(rect.X + rect.Width, rect.Y);
      p2_ = PointF(rect.X, rect.Y + rect.Height);
      break;
  }
}

LinearGradientBrush::LinearGradientBrush(const Rect& rect, const Color& c1, const Color& c2, LinearGradientMode mode)
    : LinearGradientBrush(RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                                static_cast<REAL>(rect.Height)),
                          c1, c2, mode) {}

cairo_pattern_t* LinearGradientBrush::CreatePattern() const {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(p1_.X, p1_.Y, p2_.X, p2_.Y);
  AddStops(pattern, c1_, c2_);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  return pattern;
}

Pen::Pen(const Brush* brush, REAL width) : width_(width) {
  if (brush) brush_.reset(brush->Clone());
}

Pen::~Pen() = default;

Pen* Pen::Clone() const {
  Pen* copy = brush_ ? new Pen(brush_.get(), width_) : new Pen(colour_, width_);
  copy->dash_ = dash_;
  return copy;
}

Status Pen::SetColor(const Color& colour) {
  colour_ = colour;
  brush_.reset();
  return Ok;
}

Status Pen::GetColor(Color* colour) const {
  if (!colour) return InvalidParameter;
  *colour = colour_;
  return Ok;
}

Status Pen::SetWidth(REAL width) {
  width_ = width;
  return Ok;
}

Status Pen::SetDashStyle(DashStyle style) {
  dash_ = style;
  return Ok;
}

void Pen::Apply(cairo_t* cr) const {
  cairo_pattern_t* pattern = brush_ ? brush_->CreatePattern() : SolidPattern(colour_);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
  const double w = width_ > 0 ? width_ : 1.0;
  cairo_set_line_width(cr, w);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  switch (dash_) {
    case DashStyleDash: {
      const double d[] = {3 * w, w};
      cairo_set_dash(cr, d, 2, 0);
      break;
    }
    case DashStyleDot: {
      const double d[] = {w, w};
      cairo_set_dash(cr, d, 2, 0);
      break;
    }
    case DashStyleDashDot: {
      const double d[] = {3 * w, w, w, w};
      cairo_set_dash(cr, d, 4, 0);
      break;
    }
    case DashStyleDashDotDot: {
      const double d[] = {3 * w, w, w, w, w, w};
      cairo_set_dash(cr, d, 6, 0);
      break;
    }
    default: cairo_set_dash(cr, nullptr, 0, 0); break;
  }
}

// ---------------------------------------------------------------------------------------------
// Paths (text outlines are added in gdiplus_text.cpp).

void GraphicsPath::LineOrMoveTo(REAL x, REAL y) {
  Element e{figureOpen_ ? Op::LineTo : Op::MoveTo, {PointF(x, y), PointF(), PointF()}};
  elements_.push_back(e);
  figureOpen_ = true;
}

Status GraphicsPath::AddArc(REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  if (width <= 0 || height <= 0) return lastStatus_ = InvalidParameter;
  const double rx = width / 2.0, ry = height / 2.0;
  const double cx = x + rx, cy = y + ry;
  // Angles are geometric (measured on the ellipse as drawn): turn them into the parameter.
  auto param = [&](double degrees) {
    const double a = degrees * kPi / 180.0;
    double t = std::atan2(rx * std::sin(a), ry * std::cos(a));
    // Keep whole turns of the original angle.
    const double turns = std::floor((a - t + kPi) / (2 * kPi));
    return t + turns * 2 * kPi;
  };
  const double sweep = std::clamp<double>(sweepAngle, -360.0, 360.0);
  const double t0 = param(startAngle);
  const double t1 = std::fabs(sweep) >= 360.0 ? t0 + (sweep > 0 ? 2 * kPi : -2 * kPi) : param(startAngle + sweep);
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (kPi / 2) - 1e-9)));
  const double step = (t1 - t0) / segments;
  auto point = [&](double t) { return PointF(static_cast<REAL>(cx + rx * std::cos(t)), static_cast<REAL>(cy + ry * std::sin(t))); };
  const PointF start = point(t0);
  LineOrMoveTo(start.X, start.Y);
  const double k = 4.0 / 3.0 * std::tan(step / 4.0);
  for (int i = 0; i < segments; ++i) {
    const double a = t0 + i * step, b = a + step;
    const PointF p0 = point(a), p3 = point(b);
    const PointF p1(static_cast<REAL>(p0.X - k * rx * std::sin(a)), static_cast<REAL>(p0.Y + k * ry * std::cos(a)));
    const PointF p2(static_cast<REAL>(p3.X + k * rx * std::sin(b)), static_cast<REAL>(p3.Y - k * ry * std::cos(b)));
    elements_.push_back(Element{Op::CurveTo, {p1, p2, p3}});
  }
  return Ok;
}

Status GraphicsPath::AddArc(INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle) {
  return AddArc(static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height),
                startAngle, sweepAngle);
}

Status GraphicsPath::AddArc(const RectF& r, REAL startAngle, REAL sweepAngle) {
  return AddArc(r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
}

Status GraphicsPath::AddArc(const Rect& r, REAL startAngle, REAL sweepAngle) {
  return AddArc(r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
}

Status GraphicsPath::AddLine(REAL x1, REAL y1, REAL x2, REAL y2) {
  LineOrMoveTo(x1, y1);
  elements_.push_back(Element{Op::LineTo, {PointF(x2, y2), PointF(), PointF()}});
  return Ok;
}

Status GraphicsPath::AddLine(INT x1, INT y1, INT x2, INT y2) {
  return AddLine(static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
}

Status GraphicsPath::AddLine(const PointF& p1, const PointF& p2) { return AddLine(p1.X, p1.Y, p2.X, p2.Y); }

Status GraphicsPath::AddRectangle(const RectF& r) {
  figureOpen_ = false;
  AddLine(r.X, r.Y, r.X + r.Width, r.Y);
  AddLine(r.X + r.Width, r.Y, r.X + r.Width, r.Y + r.Height);
  AddLine(r.X + r.Width, r.Y + r.Height, r.X, r.Y + r.Height);
  return CloseFigure();
}

Status GraphicsPath::AddRectangle(const Rect& r) {
  return AddRectangle(RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width), static_cast<REAL>(r.Height)));
}

Status GraphicsPath::AddEllipse(REAL x, REAL y, REAL width, REAL height) {
  figureOpen_ = false;
  const Status s = AddArc(x, y, width, height, 0, 360);
  CloseFigure();
  return s;
}

Status GraphicsPath::AddEllipse(const RectF& r) { return AddEllipse(r.X, r.Y, r.Width, r.Height); }

Status GraphicsPath::AddEllipse(const Rect& r) {
  return AddEllipse(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width), static_cast<REAL>(r.Height));
}

Status GraphicsPath::StartFigure() {
  figureOpen_ = false;
  return Ok;
}

Status GraphicsPath::CloseFigure() {
  if (figureOpen_) elements_.push_back(Element{Op::Close, {}});
  figureOpen_ = false;
  return Ok;
}

Status GraphicsPath::CloseAllFigures() {
  // Close every figure: insert a close before each move that follows an open figure.
  std::vector<Element> out;
  bool open = false;
  for (const Element& e : elements_) {
    if (e.op == Op::MoveTo && open) out.push_back(Element{Op::Close, {}});
    out.push_back(e);
    open = e.op != Op::Close;
  }
  if (open) out.push_back(Element{Op::Close, {}});
  elements_ = std::move(out);
  figureOpen_ = false;
  return Ok;
}

Status GraphicsPath::Reset() {
  elements_.clear();
  figureOpen_ = false;
  fillMode_ = FillModeAlternate;
  return Ok;
}

INT GraphicsPath::GetPointCount() const {
  INT n = 0;
  for (const Element& e : elements_) n += e.op == Op::CurveTo ? 3 : (e.op == Op::Close ? 0 : 1);
  return n;
}

void GraphicsPath::Replay(cairo_t* cr) const {
  cairo_new_path(cr);
  for (const Element& e : elements_) {
    switch (e.op) {
      case Op::MoveTo: cairo_move_to(cr, e.p[0].X, e.p[0].Y); break;
      case Op::LineTo: cairo_line_to(cr, e.p[0].X, e.p[0].Y); break;
      case Op::CurveTo: cairo_curve_to(cr, e.p[0].X, e.p[0].Y, e.p[1].X, e.p[1].Y, e.p[2].X, e.p[2].Y); break;
      case Op::Close: cairo_close_path(cr); break;
    }
  }
}

Status GraphicsPath::GetBounds(RectF* bounds, const void*, const Pen*) const {
  if (!bounds) return InvalidParameter;
  if (elements_.empty()) {
    *bounds = RectF();
    return Ok;
  }
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  cairo_set_tolerance(cr, 0.01);
  Replay(cr);
  double x1, y1, x2, y2;
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  *bounds = RectF(static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2 - x1), static_cast<REAL>(y2 - y1));
  return Ok;
}

Status GraphicsPath::GetBounds(Rect* bounds, const void* matrix, const Pen* pen) const {
  if (!bounds) return InvalidParameter;
  RectF f;
  const Status s = GetBounds(&f, matrix, pen);
  const INT left = static_cast<INT>(std::floor(f.X));
  const INT top = static_cast<INT>(std::floor(f.Y));
  *bounds = Rect(left, top, static_cast<INT>(std::ceil(f.X + f.Width)) - left, static_cast<INT>(std::ceil(f.Y + f.Height)) - top);
  return s;
}

// ---------------------------------------------------------------------------------------------
// Graphics.

Graphics::Graphics(HDC dc) {
  platform::DeviceContext* context = platform::LookupDC(dc);
  platform::Bitmap* surface = context ? context->Surface() : nullptr;
  if (!surface) {
    lastStatus_ = InvalidParameter;
    return;
  }
  baseX_ = context->state.viewportOrigin.x;
  baseY_ = context->state.viewportOrigin.y;
  if (context->state.clip) {
    hasBaseClip_ = true;
    baseClip_ = context->state.clip->Rects();
  }
  Init(surface);
}

Graphics::Graphics(Image* image) {
  platform::Bitmap* surface = image ? image->ActiveFrame() : nullptr;
  if (!surface) {
    lastStatus_ = InvalidParameter;
    return;
  }
  Init(surface);
}

void Graphics::Init(platform::Bitmap* target) {
  target_ = target;
  cr_ = cairo_create(target->surface());
  ApplyBaseClip();
  cairo_translate(cr_, baseX_, baseY_);
}

void Graphics::ApplyBaseClip() {
  if (!hasBaseClip_) return;
  cairo_matrix_t saved;
  cairo_get_matrix(cr_, &saved);
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  for (const RECT& r : baseClip_) cairo_rectangle(cr_, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (baseClip_.empty()) cairo_rectangle(cr_, 0, 0, 0, 0);
  cairo_clip(cr_);
  cairo_set_matrix(cr_, &saved);
}

Graphics::~Graphics() {
  if (cr_) cairo_destroy(cr_);
}

Status Graphics::GetLastStatus() const {
  const Status s = lastStatus_;
  lastStatus_ = Ok;
  return s;
}

Status Graphics::Flush(FlushIntention) {
  if (target_) target_->Flush();
  return Ok;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (mode == SmoothingModeInvalid) return Record(InvalidParameter);
  smoothing_ = mode;
  return Ok;
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
  textHint_ = hint;
  return Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (mode == InterpolationModeInvalid) return Record(InvalidParameter);
  interpolation_ = mode == InterpolationModeDefault ? InterpolationModeBilinear : mode;
  return Ok;
}

Status Graphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  if (mode == PixelOffsetModeInvalid) return Record(InvalidParameter);
  pixelOffset_ = mode;
  return Ok;
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
  compositing_ = mode;
  return Ok;
}

Status Graphics::SetCompositingQuality(CompositingQuality) { return Ok; }

void Graphics::PrepareShape() const {
  const bool smooth = smoothing_ == SmoothingModeAntiAlias || smoothing_ == SmoothingModeHighQuality;
  cairo_set_antialias(cr_, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr_, compositing_ == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
}

Status Graphics::Clear(const Color& colour) {
  if (!cr_) return Record(InvalidParameter);
  cairo_save(cr_);
  cairo_pattern_t* pattern = SolidPattern(colour);
  cairo_set_source(cr_, pattern);
  cairo_pattern_destroy(pattern);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr_);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) {
  if (!cr_) return Record(InvalidParameter);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  switch (mode) {
    case CombineModeReplace:
      cairo_reset_clip(cr_);
      ApplyBaseClip();
      [[fallthrough]];
    case CombineModeIntersect:
      cairo_new_path(cr_);
      cairo_rectangle(cr_, rect.X, rect.Y, rect.Width, rect.Height);
      cairo_clip(cr_);
      return Ok;
    default: return Record(NotImplemented);
  }
}

Status Graphics::SetClip(const Rect& rect, CombineMode mode) {
  return SetClip(RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                       static_cast<REAL>(rect.Height)),
                 mode);
}

Status Graphics::SetClip(const GraphicsPath* path, CombineMode mode) {
  if (!cr_ || !path) return Record(InvalidParameter);
  if (mode != CombineModeReplace && mode != CombineModeIntersect) return Record(NotImplemented);
  if (mode == CombineModeReplace) {
    cairo_reset_clip(cr_);
    ApplyBaseClip();
  }
  PrepareShape();
  path->Replay(cr_);
  cairo_set_fill_rule(cr_, path->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
  return Ok;
}

Status Graphics::IntersectClip(const Rect& rect) { return SetClip(rect, CombineModeIntersect); }
Status Graphics::IntersectClip(const RectF& rect) { return SetClip(rect, CombineModeIntersect); }

Status Graphics::ResetClip() {
  if (!cr_) return Record(InvalidParameter);
  cairo_reset_clip(cr_);
  ApplyBaseClip();
  return Ok;
}

Status Graphics::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) {
  if (!cr_) return Record(InvalidParameter);
  if (order == MatrixOrderAppend) {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    m.x0 += dx;
    m.y0 += dy;
    cairo_set_matrix(cr_, &m);
  } else {
    cairo_translate(cr_, dx, dy);
  }
  return Ok;
}

Status Graphics::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) {
  if (!cr_) return Record(InvalidParameter);
  if (order == MatrixOrderAppend) {
    cairo_matrix_t m, s;
    cairo_get_matrix(cr_, &m);
    cairo_matrix_init_translate(&s, -baseX_, -baseY_);
    cairo_matrix_multiply(&m, &m, &s);
    cairo_matrix_init_scale(&s, sx, sy);
    cairo_matrix_multiply(&m, &m, &s);
    cairo_matrix_init_translate(&s, baseX_, baseY_);
    cairo_matrix_multiply(&m, &m, &s);
    cairo_set_matrix(cr_, &m);
  } else {
    cairo_scale(cr_, sx, sy);
  }
  return Ok;
}

Status Graphics::RotateTransform(REAL angle, MatrixOrder) {
  if (!cr_) return Record(InvalidParameter);
  cairo_rotate(cr_, angle * kPi / 180.0);
  return Ok;
}

Status Graphics::ResetTransform() {
  if (!cr_) return Record(InvalidParameter);
  cairo_identity_matrix(cr_);
  cairo_translate(cr_, baseX_, baseY_);
  return Ok;
}

GraphicsState Graphics::Save() {
  if (!cr_) return 0;
  cairo_save(cr_);
  return ++saveDepth_;
}

Status Graphics::Restore(GraphicsState state) {
  if (!cr_ || state == 0 || state > saveDepth_) return Record(InvalidParameter);
  while (saveDepth_ >= state) {
    cairo_restore(cr_);
    --saveDepth_;
  }
  return Ok;
}

// Images.

Status Graphics::DrawImage(Image* image, const RectF& dst, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight, Unit,
                           const ImageAttributes*, void*, void*) {
  if (!cr_ || !image) return Record(InvalidParameter);
  platform::Bitmap* source = image->ActiveFrame();
  if (!source) return Record(InvalidParameter);
  if (srcWidth < 0 || srcHeight < 0) return Record(InvalidParameter);
  if (srcWidth == 0 || srcHeight == 0 || dst.Width == 0 || dst.Height == 0) return Ok;
  // Keep to the part of the source rectangle inside the image, shrinking the destination alike.
  const double sx0 = std::max<double>(srcX, 0), sy0 = std::max<double>(srcY, 0);
  const double sx1 = std::min<double>(srcX + srcWidth, source->width());
  const double sy1 = std::min<double>(srcY + srcHeight, source->height());
  if (sx1 <= sx0 || sy1 <= sy0) return Ok;
  const double scaleX = dst.Width / srcWidth, scaleY = dst.Height / srcHeight;
  const double dx0 = dst.X + (sx0 - srcX) * scaleX, dy0 = dst.Y + (sy0 - srcY) * scaleY;
  const double dw = (sx1 - sx0) * scaleX, dh = (sy1 - sy0) * scaleY;

  cairo_surface_t* part = cairo_surface_create_for_rectangle(source->surface(), sx0, sy0, sx1 - sx0, sy1 - sy0);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part);
  cairo_surface_destroy(part);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  const bool unscaled = std::fabs(scaleX - 1) < 1e-9 && std::fabs(scaleY - 1) < 1e-9;
  cairo_filter_t filter = CAIRO_FILTER_BILINEAR;
  if (interpolation_ == InterpolationModeNearestNeighbor || unscaled) filter = CAIRO_FILTER_NEAREST;
  else if (interpolation_ == InterpolationModeHighQualityBicubic || interpolation_ == InterpolationModeHighQualityBilinear ||
           interpolation_ == InterpolationModeHighQuality || interpolation_ == InterpolationModeBicubic)
    filter = CAIRO_FILTER_GOOD;
  cairo_pattern_set_filter(pattern, filter);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, 1.0 / scaleX, 1.0 / scaleY);
  cairo_matrix_translate(&m, -dx0, -dy0);
  cairo_pattern_set_matrix(pattern, &m);

  cairo_save(cr_);
  PrepareShape();
  cairo_set_source(cr_, pattern);
  cairo_pattern_destroy(pattern);
  cairo_new_path(cr_);
  // Negative sizes mirror: cairo's rectangle copes with them, the pattern matrix maps back.
  cairo_rectangle(cr_, dx0, dy0, dw, dh);
  cairo_fill(cr_);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::DrawImage(Image* image, const Rect& dst, INT srcX, INT srcY, INT srcWidth, INT srcHeight, Unit unit,
                           const ImageAttributes* attributes, void* abortCallback, void* callbackData) {
  return DrawImage(image,
                   RectF(static_cast<REAL>(dst.X), static_cast<REAL>(dst.Y), static_cast<REAL>(dst.Width),
                         static_cast<REAL>(dst.Height)),
                   static_cast<REAL>(srcX), static_cast<REAL>(srcY), static_cast<REAL>(srcWidth), static_cast<REAL>(srcHeight),
                   unit, attributes, abortCallback, callbackData);
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT srcX, INT srcY, INT srcWidth, INT srcHeight, Unit unit) {
  return DrawImage(image, Rect(x, y, srcWidth, srcHeight), srcX, srcY, srcWidth, srcHeight, unit);
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height) {
  if (!image || !image->ActiveFrame()) return Record(InvalidParameter);
  return DrawImage(image, RectF(x, y, width, height), 0, 0, static_cast<REAL>(image->GetWidth()),
                   static_cast<REAL>(image->GetHeight()), UnitPixel);
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height) {
  return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}

Status Graphics::DrawImage(Image* image, const Rect& dst) { return DrawImage(image, dst.X, dst.Y, dst.Width, dst.Height); }

Status Graphics::DrawImage(Image* image, const RectF& dst) { return DrawImage(image, dst.X, dst.Y, dst.Width, dst.Height); }

Status Graphics::DrawImage(Image* image, REAL x, REAL y) {
  if (!image || !image->ActiveFrame()) return Record(InvalidParameter);
  return DrawImage(image, x, y, static_cast<REAL>(image->GetWidth()), static_cast<REAL>(image->GetHeight()));
}

Status Graphics::DrawImage(Image* image, INT x, INT y) { return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y)); }
Status Graphics::DrawImage(Image* image, const Point& p) { return DrawImage(image, p.X, p.Y); }
Status Graphics::DrawImage(Image* image, const PointF& p) { return DrawImage(image, p.X, p.Y); }

// Shapes.

Status Graphics::FillCurrentPath(const Brush* brush) {
  cairo_pattern_t* pattern = brush->CreatePattern();
  cairo_set_source(cr_, pattern);
  cairo_pattern_destroy(pattern);
  cairo_fill(cr_);
  return Ok;
}

Status Graphics::StrokeCurrentPath(const Pen* pen) {
  pen->Apply(cr_);
  cairo_stroke(cr_);
  return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!cr_ || !brush) return Record(InvalidParameter);
  cairo_save(cr_);
  PrepareShape();
  cairo_new_path(cr_);
  cairo_rectangle(cr_, x, y, width, height);
  FillCurrentPath(brush);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
  return FillRectangle(brush, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}
Status Graphics::FillRectangle(const Brush* brush, const Rect& r) { return FillRectangle(brush, r.X, r.Y, r.Width, r.Height); }
Status Graphics::FillRectangle(const Brush* brush, const RectF& r) { return FillRectangle(brush, r.X, r.Y, r.Width, r.Height); }

// Strokes of odd whole widths are centred on pixel centres so that a 1-pixel line at a whole
// coordinate covers exactly one pixel row or column, as in the original.
Status Graphics::DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (!cr_ || !pen) return Record(InvalidParameter);
  cairo_save(cr_);
  PrepareShape();
  if (IsOddWidth(pen->GetWidth())) cairo_translate(cr_, 0.5, 0.5);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, x, y, width, height);
  StrokeCurrentPath(pen);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height) {
  return DrawRectangle(pen, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}
Status Graphics::DrawRectangle(const Pen* pen, const Rect& r) { return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height); }
Status Graphics::DrawRectangle(const Pen* pen, const RectF& r) { return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height); }

Status Graphics::FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!cr_ || !brush) return Record(InvalidParameter);
  GraphicsPath path;
  path.AddEllipse(x, y, width, height);
  return FillPath(brush, &path);
}

Status Graphics::FillEllipse(const Brush* brush, INT x, INT y, INT width, INT height) {
  return FillEllipse(brush, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}
Status Graphics::FillEllipse(const Brush* brush, const Rect& r) { return FillEllipse(brush, r.X, r.Y, r.Width, r.Height); }
Status Graphics::FillEllipse(const Brush* brush, const RectF& r) { return FillEllipse(brush, r.X, r.Y, r.Width, r.Height); }

Status Graphics::DrawEllipse(const Pen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (!cr_ || !pen) return Record(InvalidParameter);
  GraphicsPath path;
  path.AddEllipse(x, y, width, height);
  return DrawPath(pen, &path);
}

Status Graphics::DrawEllipse(const Pen* pen, INT x, INT y, INT width, INT height) {
  return DrawEllipse(pen, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}
Status Graphics::DrawEllipse(const Pen* pen, const Rect& r) { return DrawEllipse(pen, r.X, r.Y, r.Width, r.Height); }
Status Graphics::DrawEllipse(const Pen* pen, const RectF& r) { return DrawEllipse(pen, r.X, r.Y, r.Width, r.Height); }

Status Graphics::DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (!cr_ || !pen) return Record(InvalidParameter);
  cairo_save(cr_);
  PrepareShape();
  if (IsOddWidth(pen->GetWidth())) cairo_translate(cr_, 0.5, 0.5);
  cairo_new_path(cr_);
  cairo_move_to(cr_, x1, y1);
  cairo_line_to(cr_, x2, y2);
  StrokeCurrentPath(pen);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2) {
  return DrawLine(pen, static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
}
Status Graphics::DrawLine(const Pen* pen, const Point& p1, const Point& p2) { return DrawLine(pen, p1.X, p1.Y, p2.X, p2.Y); }
Status Graphics::DrawLine(const Pen* pen, const PointF& p1, const PointF& p2) { return DrawLine(pen, p1.X, p1.Y, p2.X, p2.Y); }

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path) {
  if (!cr_ || !brush || !path) return Record(InvalidParameter);
  cairo_save(cr_);
  PrepareShape();
  path->Replay(cr_);
  cairo_set_fill_rule(cr_, path->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  FillCurrentPath(brush);
  cairo_restore(cr_);
  return Ok;
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path) {
  if (!cr_ || !pen || !path) return Record(InvalidParameter);
  cairo_save(cr_);
  PrepareShape();
  if (IsOddWidth(pen->GetWidth())) cairo_translate(cr_, 0.5, 0.5);
  path->Replay(cr_);
  StrokeCurrentPath(pen);
  cairo_restore(cr_);
  return Ok;
}

}  // namespace Gdiplus
