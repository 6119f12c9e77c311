// A set of whole pixels, as the drawing layer's regions and clips keep it: horizontal bands, each
// with its sorted, disjoint spans [x0, x1). Bands are sorted, disjoint and never empty.
#pragma once

#include <vector>

#include "platform/base/win_types.h"

namespace platform {

class Region {
 public:
  struct Span {
    int x0;
    int x1;
  };
  struct Band {
    int y0;
    int y1;
    std::vector<Span> spans;
  };
  enum class Op { And, Or, Xor, Diff };

  Region() = default;
  static Region FromRect(int left, int top, int right, int bottom);
  // Corners cut by an ellipse of ellipseWidth × ellipseHeight; square corners when either is below 2.
  static Region RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
  static Region Ellipse(int left, int top, int right, int bottom);

  static Region Combine(const Region& a, const Region& b, Op op);
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& rect) const;
  bool IsEmpty() const { return bands_.empty(); }
  bool IsRect() const { return bands_.size() == 1 && bands_[0].spans.size() == 1; }
  RECT Bounds() const;  // all zero when empty
  void Offset(int dx, int dy);
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  // Every pixel as disjoint rectangles (one per span of each band).
  std::vector<RECT> Rects() const;
  bool operator==(const Region& other) const;

 private:
  // Builds from per-row spans (rows top..top+rows.size()-1), merging equal neighbouring rows.
  static Region FromRows(int top, const std::vector<std::vector<Span>>& rows);
  std::vector<Band> bands_;
};

}  // namespace platform
