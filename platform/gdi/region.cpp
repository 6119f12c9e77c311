#include "platform/gdi/region.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool SameSpans(const std::vector<Region::Span>& a, const std::vector<Region::Span>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x0 != b[i].x0 || a[i].x1 != b[i].x1) return false;
  return true;
}

bool Keep(bool inA, bool inB, Region::Op op) {
  switch (op) {
    case Region::Op::And: return inA && inB;
    case Region::Op::Or: return inA || inB;
    case Region::Op::Xor: return inA != inB;
    case Region::Op::Diff: return inA && !inB;
  }
  return false;
}

// Boolean operation on two sorted span lists.
std::vector<Region::Span> CombineSpans(const std::vector<Region::Span>& a, const std::vector<Region::Span>& b,
                                       Region::Op op) {
  std::vector<int> edges;
  for (const auto& s : a) edges.insert(edges.end(), {s.x0, s.x1});
  for (const auto& s : b) edges.insert(edges.end(), {s.x0, s.x1});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  auto inside = [](const std::vector<Region::Span>& spans, int x) {
    for (const auto& s : spans)
      if (x >= s.x0 && x < s.x1) return true;
    return false;
  };
  std::vector<Region::Span> out;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    const int x0 = edges[i];
    const int x1 = edges[i + 1];
    if (!Keep(inside(a, x0), inside(b, x0), op)) continue;
    if (!out.empty() && out.back().x1 == x0)
      out.back().x1 = x1;
    else
      out.push_back({x0, x1});
  }
  return out;
}

const std::vector<Region::Span>* SpansAt(const std::vector<Region::Band>& bands, int y) {
  for (const auto& band : bands)
    if (y >= band.y0 && y < band.y1) return &band.spans;
  return nullptr;
}

}  // namespace

Region Region::FromRect(int left, int top, int right, int bottom) {
  Region r;
  if (right > left && bottom > top) r.bands_.push_back({top, bottom, {{left, right}}});
  return r;
}

Region Region::FromRows(int top, const std::vector<std::vector<Span>>& rows) {
  Region r;
  for (size_t i = 0; i < rows.size(); ++i) {
    const int y = top + static_cast<int>(i);
    if (rows[i].empty()) continue;
    if (!r.bands_.empty() && r.bands_.back().y1 == y && SameSpans(r.bands_.back().spans, rows[i]))
      r.bands_.back().y1 = y + 1;
    else
      r.bands_.push_back({y, y + 1, rows[i]});
  }
  return r;
}

Region Region::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const int w = right - left;
  const int h = bottom - top;
  ellipseWidth = std::min(std::abs(ellipseWidth), w);
  ellipseHeight = std::min(std::abs(ellipseHeight), h);
  if (ellipseWidth < 2 || ellipseHeight < 2 || w <= 0 || h <= 0) return FromRect(left, top, right, bottom);
  const double rx = ellipseWidth / 2.0;
  const double ry = ellipseHeight / 2.0;
  std::vector<std::vector<Span>> rows(static_cast<size_t>(h));
  for (int j = 0; j < h; ++j) {
    // Distance of the pixel centre from the nearer horizontal edge, measured into the corner ellipse.
    const double cy = j + 0.5;
    double dy = 0.0;
    if (cy < ry)
      dy = ry - cy;
    else if (cy > h - ry)
      dy = cy - (h - ry);
    int inset = 0;
    if (dy > 0.0) {
      const double t = 1.0 - (dy * dy) / (ry * ry);
      const double half = t > 0.0 ? rx * std::sqrt(t) : 0.0;
      // Keep pixel x when its centre x + 0.5 lies at or beyond rx - half from the edge.
      inset = static_cast<int>(std::ceil(rx - half - 0.5));
      if (inset < 0) inset = 0;
    }
    if (2 * inset < w) rows[static_cast<size_t>(j)].push_back({left + inset, right - inset});
  }
  return FromRows(top, rows);
}

Region Region::Ellipse(int left, int top, int right, int bottom) {
  return RoundRect(left, top, right, bottom, right - left, bottom - top);
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
  std::vector<int> ys;
  for (const auto& band : a.bands_) ys.insert(ys.end(), {band.y0, band.y1});
  for (const auto& band : b.bands_) ys.insert(ys.end(), {band.y0, band.y1});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  static const std::vector<Span> kNone;
  Region out;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    const int y0 = ys[i];
    const int y1 = ys[i + 1];
    const auto* sa = SpansAt(a.bands_, y0);
    const auto* sb = SpansAt(b.bands_, y0);
    std::vector<Span> spans = CombineSpans(sa ? *sa : kNone, sb ? *sb : kNone, op);
    if (spans.empty()) continue;
    if (!out.bands_.empty() && out.bands_.back().y1 == y0 && SameSpans(out.bands_.back().spans, spans))
      out.bands_.back().y1 = y1;
    else
      out.bands_.push_back({y0, y1, std::move(spans)});
  }
  return out;
}

bool Region::Contains(int x, int y) const {
  const auto* spans = SpansAt(bands_, y);
  if (!spans) return false;
  for (const auto& s : *spans)
    if (x >= s.x0 && x < s.x1) return true;
  return false;
}

bool Region::Intersects(const RECT& rect) const {
  for (const auto& band : bands_) {
    if (band.y1 <= rect.top || band.y0 >= rect.bottom) continue;
    for (const auto& s : band.spans)
      if (s.x1 > rect.left && s.x0 < rect.right) return true;
  }
  return false;
}

RECT Region::Bounds() const {
  RECT r{0, 0, 0, 0};
  if (bands_.empty()) return r;
  r.top = bands_.front().y0;
  r.bottom = bands_.back().y1;
  r.left = bands_.front().spans.front().x0;
  r.right = bands_.front().spans.back().x1;
  for (const auto& band : bands_) {
    r.left = std::min<LONG>(r.left, band.spans.front().x0);
    r.right = std::max<LONG>(r.right, band.spans.back().x1);
  }
  return r;
}

void Region::Offset(int dx, int dy) {
  for (auto& band : bands_) {
    band.y0 += dy;
    band.y1 += dy;
    for (auto& s : band.spans) {
      s.x0 += dx;
      s.x1 += dx;
    }
  }
}

int Region::Complexity() const {
  if (bands_.empty()) return 1;  // NULLREGION
  return IsRect() ? 2 : 3;  // SIMPLEREGION : COMPLEXREGION
}

std::vector<RECT> Region::Rects() const {
  std::vector<RECT> out;
  for (const auto& band : bands_)
    for (const auto& s : band.spans) out.push_back({s.x0, band.y0, s.x1, band.y1});
  return out;
}

bool Region::operator==(const Region& other) const {
  if (bands_.size() != other.bands_.size()) return false;
  for (size_t i = 0; i < bands_.size(); ++i) {
    if (bands_[i].y0 != other.bands_[i].y0 || bands_[i].y1 != other.bands_[i].y1) return false;
    if (!SameSpans(bands_[i].spans, other.bands_[i].spans)) return false;
  }
  return true;
}

}  // namespace platform
