// The offscreen backend: native windows as records in memory, presented pixels kept for reading
// back. It has no events of its own; tests drive input through the core's input entry points.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/core/input.h"
#include "platform/core/window_core.h"
#include "platform/offscreen/offscreen.h"

namespace platform {

namespace {

struct OffscreenWindow {
  RECT rect{};
  std::wstring title;
  NativeWindowHints hints;
  bool shown = false;
  bool minimized = false;
  bool layered = false;
  std::unique_ptr<Bitmap> pixels;
  int presents = 0;
  std::map<std::wstring, std::int64_t> properties;
  std::vector<RECT> shape;  // window coordinates; empty: the whole rectangle
};

bool InShape(const OffscreenWindow& w, int x, int y) {
  if (w.shape.empty()) return true;
  for (const RECT& r : w.shape) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

RECT ParseScreen(const char* text, RECT fallback) {
  int w = 0, h = 0;
  if (text && std::sscanf(text, "%dx%d", &w, &h) == 2 && w > 0 && h > 0) return RECT{0, 0, w, h};
  return fallback;
}

RECT ParseRect(const char* text, RECT fallback) {
  int l = 0, t = 0, r = 0, b = 0;
  if (text && std::sscanf(text, "%d,%d,%d,%d", &l, &t, &r, &b) == 4 && r > l && b > t) return RECT{l, t, r, b};
  return fallback;
}

class OffscreenBackend final : public Backend {
 public:
  OffscreenBackend() {
    screen_ = ParseScreen(std::getenv("VQ_OFFSCREEN_SCREEN"), RECT{0, 0, 1920, 1080});
    RECT defaultWork = screen_;
    defaultWork.bottom = std::max<LONG>(screen_.top + 1, screen_.bottom - 40);  // a panel along the bottom
    work_ = ParseRect(std::getenv("VQ_OFFSCREEN_WORKAREA"), defaultWork);
  }

  const char* Name() const override { return "offscreen"; }
  RECT ScreenRect() override { return screen_; }
  RECT WorkArea() override { return work_; }

  bool CreateNativeWindow(HWND hwnd, const NativeWindowInfo& info) override {
    auto& w = windows_[hwnd];
    w.rect = info.rect;
    w.title = info.title;
    w.hints = info.hints;
    stacking_.push_back(hwnd);
    return true;
  }
  void DestroyNativeWindow(HWND hwnd) override {
    windows_.erase(hwnd);
    stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), hwnd), stacking_.end());
    if (grab_ == hwnd) grab_ = nullptr;
  }
  void ShowNativeWindow(HWND hwnd, bool show, bool) override {
    auto* w = Find(hwnd);
    if (!w) return;
    w->shown = show;
    if (show) Raise(hwnd);
  }
  void MoveNativeWindow(HWND hwnd, const RECT& rect) override {
    if (auto* w = Find(hwnd)) w->rect = rect;
  }
  void SetNativeTitle(HWND hwnd, const std::wstring& title) override {
    if (auto* w = Find(hwnd)) w->title = title;
  }
  void SetNativeHints(HWND hwnd, const NativeWindowHints& hints) override {
    if (auto* w = Find(hwnd)) {
      w->hints = hints;
      Raise(hwnd);
    }
  }
  void SetNativeMinimized(HWND hwnd, bool minimized) override {
    if (auto* w = Find(hwnd)) w->minimized = minimized;
  }
  void RaiseNativeWindow(HWND hwnd, bool) override { Raise(hwnd); }

  void PresentWindow(HWND hwnd, const Bitmap& pixels, const RECT& dirty) override {
    auto* w = Find(hwnd);
    if (!w) return;
    if (!w->pixels || w->pixels->width() != pixels.width() || w->pixels->height() != pixels.height() || w->layered) {
      w->pixels = std::make_unique<Bitmap>(pixels.width(), pixels.height());
    }
    w->layered = false;
    pixels.Flush();
    const int x0 = std::max<int>(0, dirty.left), x1 = std::min<int>(pixels.width(), dirty.right);
    for (int y = std::max<int>(0, dirty.top); y < std::min<int>(pixels.height(), dirty.bottom); ++y) {
      if (x1 > x0) std::memcpy(w->pixels->row(y) + x0, pixels.row(y) + x0, static_cast<size_t>(x1 - x0) * 4);
    }
    w->pixels->MarkDirty();
    ++w->presents;
  }
  void PresentLayered(HWND hwnd, const Bitmap& pixels) override {
    auto* w = Find(hwnd);
    if (!w) return;
    w->pixels = std::make_unique<Bitmap>(pixels.width(), pixels.height());
    pixels.Flush();
    for (int y = 0; y < pixels.height(); ++y) {
      std::memcpy(w->pixels->row(y), pixels.row(y), static_cast<size_t>(pixels.width()) * 4);
    }
    w->pixels->MarkDirty();
    w->layered = true;
    ++w->presents;
  }
  void SetNativeShape(HWND hwnd, const RECT* rects, int count) override {
    if (auto* w = Find(hwnd)) w->shape.assign(rects, rects + std::max(count, 0));
  }

  bool BeginSystemMove(HWND, POINT) override { return false; }  // the core follows the pointer
  void SetCursorShape(CursorShape shape) override { cursor_ = shape; }
  void GrabPointer(HWND hwnd) override { grab_ = hwnd; }
  void WarpPointer(POINT) override {}

  void SetPublicProperty(HWND hwnd, const std::wstring& name, std::int64_t value) override {
    auto* w = Find(hwnd);
    if (!w) return;
    if (value == 0) {
      w->properties.erase(name);
    } else {
      w->properties[name] = value;
    }
  }
  bool FindPublicProperty(const std::wstring& name, std::int64_t* value) override {
    for (auto& entry : windows_) {
      auto it = entry.second.properties.find(name);
      if (it != entry.second.properties.end()) {
        if (value) *value = it->second;
        return true;
      }
    }
    return false;
  }

  int EventFd() override { return -1; }
  void PumpEvents() override {}

  // ---- Read-back for tests ----
  OffscreenWindow* Find(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
  }
  void SetScreen(RECT screen, RECT work) {
    screen_ = screen;
    work_ = work;
  }
  const std::vector<HWND>& Stacking() const { return stacking_; }  // bottom first
  CursorShape cursor() const { return cursor_; }
  HWND grab() const { return grab_; }

 private:
  void Raise(HWND hwnd) {
    stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), hwnd), stacking_.end());
    auto* w = Find(hwnd);
    const bool topmost = w && w->hints.topmost;
    auto it = stacking_.end();
    if (!topmost) {
      // Below every topmost window.
      it = std::find_if(stacking_.begin(), stacking_.end(), [&](HWND o) {
        auto* ow = Find(o);
        return ow && ow->hints.topmost;
      });
    }
    stacking_.insert(it, hwnd);
  }

  RECT screen_{};
  RECT work_{};
  std::map<HWND, OffscreenWindow> windows_;
  std::vector<HWND> stacking_;
  CursorShape cursor_ = 32512;
  HWND grab_ = nullptr;
};

template <typename F>
auto WithOffscreen(F&& f) {
  return WithBackend([&](Backend& b) { return f(dynamic_cast<OffscreenBackend*>(&b)); });
}

}  // namespace

std::unique_ptr<Backend> CreateOffscreenBackend() { return std::make_unique<OffscreenBackend>(); }

namespace offscreen {

void SetScreen(RECT screen, RECT workArea) {
  const bool done = WithOffscreen([&](OffscreenBackend* b) {
    if (!b) return false;
    b->SetScreen(screen, workArea);
    return true;
  });
  if (done) InputDisplayChanged();
}

std::unique_ptr<Bitmap> PresentedPixels(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) -> std::unique_ptr<Bitmap> {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    if (!w || !w->pixels) return nullptr;
    auto copy = std::make_unique<Bitmap>(w->pixels->width(), w->pixels->height());
    for (int y = 0; y < copy->height(); ++y) {
      std::memcpy(copy->row(y), w->pixels->row(y), static_cast<size_t>(copy->width()) * 4);
    }
    copy->MarkDirty();
    return copy;
  });
}

std::uint32_t PresentedPixel(HWND hwnd, int x, int y) {
  return WithOffscreen([&](OffscreenBackend* b) -> std::uint32_t {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return (w && w->pixels) ? w->pixels->PixelAt(x, y) : 0;
  });
}

int PresentCount(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w ? w->presents : 0;
  });
}

std::unique_ptr<Bitmap> ScreenPixels() {
  return WithOffscreen([&](OffscreenBackend* b) -> std::unique_ptr<Bitmap> {
    if (!b) return nullptr;
    const RECT screen = b->ScreenRect();
    auto out = std::make_unique<Bitmap>(screen.right - screen.left, screen.bottom - screen.top);
    for (HWND hwnd : b->Stacking()) {
      OffscreenWindow* w = b->Find(hwnd);
      if (!w || !w->shown || w->minimized || !w->pixels) continue;
      for (int y = 0; y < w->pixels->height(); ++y) {
        const int sy = w->rect.top - screen.top + y;
        if (sy < 0 || sy >= out->height()) continue;
        const std::uint32_t* src = w->pixels->row(y);
        std::uint32_t* dst = out->row(sy);
        for (int x = 0; x < w->pixels->width(); ++x) {
          const int sx = w->rect.left - screen.left + x;
          if (sx < 0 || sx >= out->width() || !InShape(*w, x, y)) continue;
          std::uint32_t s = src[x];
          if (!w->layered) {
            dst[sx] = s | 0xFF000000u;
            continue;
          }
          const std::uint32_t a = s >> 24;
          const std::uint32_t d = dst[sx];
          auto channel = [&](int shift) {
            const std::uint32_t v = ((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * (255 - a) + 127) / 255;
            return std::min<std::uint32_t>(v, 255) << shift;
          };
          dst[sx] = channel(24) | channel(16) | channel(8) | channel(0);
        }
      }
    }
    out->MarkDirty();
    return out;
  });
}

bool IsShown(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w && w->shown;
  });
}

bool IsMinimized(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w && w->minimized;
  });
}

RECT NativeRect(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w ? w->rect : RECT{0, 0, 0, 0};
  });
}

std::wstring NativeTitle(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w ? w->title : std::wstring();
  });
}

NativeWindowHints NativeHints(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w ? w->hints : NativeWindowHints{};
  });
}

std::vector<HWND> StackingOrder() {
  return WithOffscreen([&](OffscreenBackend* b) {
    std::vector<HWND> order;
    if (b) order.assign(b->Stacking().rbegin(), b->Stacking().rend());
    return order;
  });
}

std::vector<RECT> NativeShape(HWND hwnd) {
  return WithOffscreen([&](OffscreenBackend* b) {
    OffscreenWindow* w = b ? b->Find(hwnd) : nullptr;
    return w ? w->shape : std::vector<RECT>();
  });
}

CursorShape Cursor() {
  return WithOffscreen([&](OffscreenBackend* b) { return b ? b->cursor() : CursorShape{0}; });
}

HWND PointerGrab() {
  return WithOffscreen([&](OffscreenBackend* b) { return b ? b->grab() : nullptr; });
}

}  // namespace offscreen

}  // namespace platform
