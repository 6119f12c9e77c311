// Handles, device contexts and GDI objects: creation, selection, saved states, deletion.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/base/process_state.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi.h"

namespace platform {

struct StockObjects {
  std::unique_ptr<GdiObject> items[20];
  std::unique_ptr<BitmapObject> defaultBitmap;  // what a new memory DC holds (1 x 1)
};

namespace {

GdiState& Gdi() { return State().gdi; }

LOGFONTW MakeDefaultGuiLogFont() {
  LOGFONTW f{};
  f.lfHeight = -11;
  f.lfWeight = FW_NORMAL;
  f.lfCharSet = DEFAULT_CHARSET;
  const wchar_t* face = L"Sans";
  std::wcsncpy(f.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

StockObjects& Stock() {
  GdiState& gdi = Gdi();
  std::call_once(gdi.stockOnce, [&gdi] {
    auto* stock = new StockObjects();
    auto brush = [](COLORREF c, bool null = false) { return std::make_unique<BrushObject>(c, null); };
    stock->items[WHITE_BRUSH] = brush(RGB(255, 255, 255));
    stock->items[LTGRAY_BRUSH] = brush(RGB(192, 192, 192));
    stock->items[GRAY_BRUSH] = brush(RGB(128, 128, 128));
    stock->items[DKGRAY_BRUSH] = brush(RGB(64, 64, 64));
    stock->items[BLACK_BRUSH] = brush(RGB(0, 0, 0));
    stock->items[NULL_BRUSH] = brush(0, true);
    stock->items[WHITE_PEN] = std::make_unique<PenObject>(PS_SOLID, 1, RGB(255, 255, 255));
    stock->items[BLACK_PEN] = std::make_unique<PenObject>(PS_SOLID, 1, RGB(0, 0, 0));
    stock->items[NULL_PEN] = std::make_unique<PenObject>(PS_NULL, 1, RGB(0, 0, 0));
    const LOGFONTW gui = MakeDefaultGuiLogFont();
    for (int index : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEVICE_DEFAULT_FONT,
                      SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT}) {
      LOGFONTW f = gui;
      if (index == OEM_FIXED_FONT || index == ANSI_FIXED_FONT || index == SYSTEM_FIXED_FONT)
        std::wcsncpy(f.lfFaceName, L"Monospace", LF_FACESIZE - 1);
      stock->items[index] = std::make_unique<FontObject>(f);
    }
    stock->defaultBitmap = std::make_unique<BitmapObject>(1, 1, Bitmap::RowOrder::TopDown, false);
    std::lock_guard<std::mutex> lock(gdi.handleLock);
    for (auto& item : stock->items) {
      if (!item) continue;
      item->stock = true;
      gdi.objects.insert(item.get());
    }
    stock->defaultBitmap->stock = true;
    gdi.objects.insert(stock->defaultBitmap.get());
    gdi.stock = stock;
  });
  return *gdi.stock;
}

template <typename T>
T* LookupTyped(HGDIOBJ object, DWORD type) {
  GdiObject* o = LookupObject(object);
  return o && o->type == type ? static_cast<T*>(o) : nullptr;
}

void InitialState(DcDrawingState& state) {
  StockObjects& stock = Stock();
  state = DcDrawingState();
  state.font = static_cast<FontObject*>(stock.items[SYSTEM_FONT].get());
  state.brush = static_cast<BrushObject*>(stock.items[WHITE_BRUSH].get());
  state.pen = static_cast<PenObject*>(stock.items[BLACK_PEN].get());
}

// A bitmap stays "selected" while any saved state of its DC still refers to it.
void ReleaseBitmapIfUnused(DeviceContext* dc, BitmapObject* bitmap) {
  if (!bitmap || bitmap->selectedInto != dc) return;
  if (dc->state.bitmap == bitmap) return;
  for (const auto& saved : dc->saved)
    if (saved.bitmap == bitmap) return;
  bitmap->selectedInto = nullptr;
}

std::unique_ptr<BitmapObject> NewBitmap(int width, int height, Bitmap::RowOrder order, bool dib) {
  return std::make_unique<BitmapObject>(width, height, order, dib);
}

}  // namespace

const LOGFONTW& DefaultGuiLogFont() {
  return static_cast<FontObject*>(Stock().items[DEFAULT_GUI_FONT].get())->logfont;
}

// ---------------------------------------------------------------------------------------------
// Handle registry.

DeviceContext* LookupDC(HDC dc) {
  if (!dc) return nullptr;
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  return gdi.dcs.count(dc) ? reinterpret_cast<DeviceContext*>(dc) : nullptr;
}

GdiObject* LookupObject(HGDIOBJ object) {
  if (!object) return nullptr;
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  return gdi.objects.count(object) ? static_cast<GdiObject*>(object) : nullptr;
}

BitmapObject* LookupBitmap(HGDIOBJ object) { return LookupTyped<BitmapObject>(object, OBJ_BITMAP); }
BrushObject* LookupBrush(HGDIOBJ object) { return LookupTyped<BrushObject>(object, OBJ_BRUSH); }
PenObject* LookupPen(HGDIOBJ object) { return LookupTyped<PenObject>(object, OBJ_PEN); }
FontObject* LookupFont(HGDIOBJ object) { return LookupTyped<FontObject>(object, OBJ_FONT); }
RegionObject* LookupRegion(HGDIOBJ object) { return LookupTyped<RegionObject>(object, OBJ_REGION); }

IconObject* LookupIcon(HICON icon) {
  if (!icon) return nullptr;
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  return gdi.icons.count(icon) ? reinterpret_cast<IconObject*>(icon) : nullptr;
}

HDC RegisterDC(std::unique_ptr<DeviceContext> dc) {
  InitialState(dc->state);
  if (dc->memoryDc) {
    BitmapObject* initial = Stock().defaultBitmap.get();
    dc->state.bitmap = initial;
  }
  DeviceContext* raw = dc.release();
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  gdi.dcs.insert(raw);
  return ToHDC(raw);
}

void UnregisterDC(DeviceContext* dc) {
  {
    GdiState& gdi = Gdi();
    std::lock_guard<std::mutex> lock(gdi.handleLock);
    if (!gdi.dcs.erase(dc)) return;
  }
  std::vector<BitmapObject*> bitmaps{dc->state.bitmap};
  for (const auto& saved : dc->saved) bitmaps.push_back(saved.bitmap);
  for (BitmapObject* b : bitmaps)
    if (b && b->selectedInto == dc) b->selectedInto = nullptr;
  delete dc;
}

HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object) {
  GdiObject* raw = object.release();
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  gdi.objects.insert(raw);
  return raw;
}

HICON RegisterIcon(std::unique_ptr<IconObject> icon) {
  IconObject* raw = icon.release();
  GdiState& gdi = Gdi();
  std::lock_guard<std::mutex> lock(gdi.handleLock);
  gdi.icons.insert(raw);
  return reinterpret_cast<HICON>(raw);
}

Bitmap* GetBitmapPixels(HBITMAP bitmap) {
  BitmapObject* b = LookupBitmap(bitmap);
  return b ? b->pixels.get() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Device contexts.

HDC CreateCompatibleDC(HDC reference) {
  if (reference && !LookupDC(reference)) return nullptr;
  auto dc = std::make_unique<DeviceContext>();
  dc->memoryDc = true;
  return RegisterDC(std::move(dc));
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return FALSE;
  UnregisterDC(context);
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* context = LookupDC(dc);
  GdiObject* o = LookupObject(object);
  if (!context || !o) return nullptr;
  DcDrawingState& s = context->state;
  switch (o->type) {
    case OBJ_BITMAP: {
      if (!context->memoryDc) return nullptr;
      auto* bitmap = static_cast<BitmapObject*>(o);
      if (bitmap->selectedInto && bitmap->selectedInto != context) return nullptr;  // one DC at a time
      BitmapObject* previous = s.bitmap;
      s.bitmap = bitmap;
      bitmap->selectedInto = bitmap->stock ? nullptr : context;
      if (previous != bitmap) ReleaseBitmapIfUnused(context, previous);
      return previous;
    }
    case OBJ_BRUSH: {
      BrushObject* previous = s.brush;
      s.brush = static_cast<BrushObject*>(o);
      return previous;
    }
    case OBJ_PEN: {
      PenObject* previous = s.pen;
      s.pen = static_cast<PenObject*>(o);
      return previous;
    }
    case OBJ_FONT: {
      FontObject* previous = s.font;
      s.font = static_cast<FontObject*>(o);
      return previous;
    }
    case OBJ_REGION: {
      const int result = SelectClipRgn(dc, static_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
    }
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return nullptr;
  switch (type) {
    case OBJ_BITMAP: return context->state.bitmap;
    case OBJ_BRUSH: return context->state.brush;
    case OBJ_PEN: return context->state.pen;
    case OBJ_FONT: return context->state.font;
  }
  return nullptr;
}

int SaveDC(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return 0;
  context->saved.push_back(context->state);
  return static_cast<int>(context->saved.size());
}

BOOL RestoreDC(HDC dc, int savedDepth) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return FALSE;
  const int depth = static_cast<int>(context->saved.size());
  const int target = savedDepth < 0 ? depth + 1 + savedDepth : savedDepth;
  if (target < 1 || target > depth) return FALSE;
  BitmapObject* before = context->state.bitmap;
  std::vector<BitmapObject*> dropped;
  for (int i = target - 1; i < depth; ++i) dropped.push_back(context->saved[static_cast<size_t>(i)].bitmap);
  context->state = context->saved[static_cast<size_t>(target - 1)];
  context->saved.resize(static_cast<size_t>(target - 1));
  if (context->state.bitmap && !context->state.bitmap->stock) context->state.bitmap->selectedInto = context;
  dropped.push_back(before);
  for (BitmapObject* b : dropped) ReleaseBitmapIfUnused(context, b);
  return TRUE;
}

int SetBkMode(HDC dc, int mode) {
  DeviceContext* context = LookupDC(dc);
  if (!context || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = context->state.bkMode;
  context->state.bkMode = mode;
  return previous;
}

int GetBkMode(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  return context ? context->state.bkMode : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return CLR_INVALID;
  const COLORREF previous = context->state.bkColour;
  context->state.bkColour = colour & 0xFFFFFF;
  return previous;
}

COLORREF GetBkColor(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  return context ? context->state.bkColour : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return CLR_INVALID;
  const COLORREF previous = context->state.textColour;
  context->state.textColour = colour & 0xFFFFFF;
  return previous;
}

COLORREF GetTextColor(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  return context ? context->state.textColour : CLR_INVALID;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return FALSE;
  if (previous) *previous = context->state.viewportOrigin;
  context->state.viewportOrigin = {x, y};
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return FALSE;
  if (previous) *previous = context->state.viewportOrigin;
  context->state.viewportOrigin.x += dx;
  context->state.viewportOrigin.y += dy;
  return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, POINT* origin) {
  DeviceContext* context = LookupDC(dc);
  if (!context || !origin) return FALSE;
  *origin = context->state.viewportOrigin;
  return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
  DeviceContext* context = LookupDC(dc);
  Bitmap* surface = context ? context->Surface() : nullptr;
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZRES: return surface ? surface->width() : 0;
    case VERTRES: return surface ? surface->height() : 0;
  }
  return 0;
}

BOOL GdiFlush() { return TRUE; }

// ---------------------------------------------------------------------------------------------
// Clipping.

namespace {

Region SurfaceRegion(DeviceContext* context) {
  Bitmap* surface = context->Surface();
  return surface ? Region::FromRect(0, 0, surface->width(), surface->height()) : Region();
}

int ClipComplexity(DeviceContext* context) {
  const Region& r = context->state.clip ? *context->state.clip : SurfaceRegion(context);
  return r.Complexity();
}

}  // namespace

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return RGN_ERROR;
  const POINT o = context->state.viewportOrigin;
  const Region r = Region::FromRect(left + o.x, top + o.y, right + o.x, bottom + o.y);
  context->state.clip = context->state.clip ? Region::Combine(*context->state.clip, r, Region::Op::And) : r;
  return ClipComplexity(context);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return RGN_ERROR;
  const POINT o = context->state.viewportOrigin;
  const Region r = Region::FromRect(left + o.x, top + o.y, right + o.x, bottom + o.y);
  const Region base = context->state.clip ? *context->state.clip : SurfaceRegion(context);
  context->state.clip = Region::Combine(base, r, Region::Op::Diff);
  return ClipComplexity(context);
}

int SelectClipRgn(HDC dc, HRGN region) {
  DeviceContext* context = LookupDC(dc);
  if (!context) return RGN_ERROR;
  if (!region) {
    context->state.clip.reset();
    return SIMPLEREGION;
  }
  RegionObject* r = LookupRegion(region);
  if (!r) return RGN_ERROR;
  context->state.clip = r->region;
  return ClipComplexity(context);
}

int GetClipBox(HDC dc, RECT* box) {
  DeviceContext* context = LookupDC(dc);
  if (!context || !box) return RGN_ERROR;
  const Region effective = context->state.clip ? Region::Combine(*context->state.clip, SurfaceRegion(context), Region::Op::And)
                                               : SurfaceRegion(context);
  *box = effective.Bounds();
  const POINT o = context->state.viewportOrigin;
  if (!effective.IsEmpty()) {
    box->left -= o.x;
    box->right -= o.x;
    box->top -= o.y;
    box->bottom -= o.y;
  }
  return effective.Complexity();
}

// ---------------------------------------------------------------------------------------------
// Objects.

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = LookupObject(object);
  if (!o || o->stock) return FALSE;
  if (o->type == OBJ_BITMAP && static_cast<BitmapObject*>(o)->selectedInto) return FALSE;  // still in a DC
  {
    GdiState& gdi = Gdi();
    std::lock_guard<std::mutex> lock(gdi.handleLock);
    gdi.objects.erase(o);
  }
  // A brush, pen or font still selected somewhere stays usable by that DC in the original; here
  // the DCs fall back to stock objects so nothing dangles.
  if (o->type == OBJ_BRUSH || o->type == OBJ_PEN || o->type == OBJ_FONT) {
    GdiState& gdi = Gdi();
    std::vector<DeviceContext*> dcs;
    {
      std::lock_guard<std::mutex> lock(gdi.handleLock);
      for (const void* d : gdi.dcs) dcs.push_back(const_cast<DeviceContext*>(static_cast<const DeviceContext*>(d)));
    }
    StockObjects& stock = Stock();
    auto fix = [&](DcDrawingState& s) {
      if (s.brush == o) s.brush = static_cast<BrushObject*>(stock.items[WHITE_BRUSH].get());
      if (s.pen == o) s.pen = static_cast<PenObject*>(stock.items[BLACK_PEN].get());
      if (s.font == o) s.font = static_cast<FontObject*>(stock.items[SYSTEM_FONT].get());
    };
    for (DeviceContext* d : dcs) {
      fix(d->state);
      for (auto& saved : d->saved) fix(saved);
    }
  }
  delete o;
  return TRUE;
}

int GetObjectW(HGDIOBJ object, int size, void* buffer) {
  GdiObject* o = LookupObject(object);
  if (!o) return 0;
  switch (o->type) {
    case OBJ_BITMAP: {
      auto* b = static_cast<BitmapObject*>(o);
      BITMAP bm{};
      bm.bmType = 0;
      bm.bmWidth = b->pixels->width();
      bm.bmHeight = b->pixels->height();
      bm.bmWidthBytes = b->pixels->rowBytes();
      bm.bmPlanes = 1;
      bm.bmBitsPixel = 32;
      bm.bmBits = b->dibSection ? b->pixels->memory() : nullptr;
      if (!buffer) return b->dibSection ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
      if (b->dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = bm;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = bm.bmWidth;
        ds.dsBmih.biHeight = b->pixels->bottomUp() ? bm.bmHeight : -bm.bmHeight;
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = 32;
        ds.dsBmih.biCompression = BI_RGB;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(b->pixels->memoryBytes());
        std::memcpy(buffer, &ds, sizeof(ds));
        return static_cast<int>(sizeof(DIBSECTION));
      }
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(buffer, &bm, sizeof(bm));
      return static_cast<int>(sizeof(BITMAP));
    }
    case OBJ_FONT: {
      if (!buffer) return static_cast<int>(sizeof(LOGFONTW));
      if (size < static_cast<int>(sizeof(LOGFONTW))) return 0;
      std::memcpy(buffer, &static_cast<FontObject*>(o)->logfont, sizeof(LOGFONTW));
      return static_cast<int>(sizeof(LOGFONTW));
    }
  }
  return 0;
}

DWORD GetObjectType(HGDIOBJ object) {
  if (LookupDC(static_cast<HDC>(object))) {
    return reinterpret_cast<DeviceContext*>(object)->memoryDc ? OBJ_MEMDC : OBJ_DC;
  }
  GdiObject* o = LookupObject(object);
  return o ? o->type : 0;
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= 20) return nullptr;
  return Stock().items[index].get();
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!LookupDC(dc) || width < 0 || height < 0) return nullptr;
  return static_cast<HBITMAP>(RegisterObject(NewBitmap(width, height, Bitmap::RowOrder::TopDown, false)));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset) {
  if (bits) *bits = nullptr;
  if (!info || section) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 ||
      h.biHeight == 0 || h.biPlanes != 1)
    return nullptr;
  const bool bottomUp = h.biHeight > 0;
  const int height = bottomUp ? h.biHeight : -h.biHeight;
  auto bitmap = NewBitmap(h.biWidth, height, bottomUp ? Bitmap::RowOrder::BottomUp : Bitmap::RowOrder::TopDown, true);
  if (bits) *bits = bitmap->pixels->memory();
  return static_cast<HBITMAP>(RegisterObject(std::move(bitmap)));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(RegisterObject(std::make_unique<BrushObject>(colour & 0xFFFFFF)));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  return static_cast<HPEN>(RegisterObject(std::make_unique<PenObject>(style, std::max(width, 1), colour & 0xFFFFFF)));
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  LOGFONTW f = *font;
  f.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(RegisterObject(std::make_unique<FontObject>(f)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR faceName) {
  LOGFONTW f{};
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfEscapement = escapement;
  f.lfOrientation = orientation;
  f.lfWeight = weight;
  f.lfItalic = static_cast<BYTE>(italic ? 1 : 0);
  f.lfUnderline = static_cast<BYTE>(underline ? 1 : 0);
  f.lfStrikeOut = static_cast<BYTE>(strikeOut ? 1 : 0);
  f.lfCharSet = static_cast<BYTE>(charSet);
  f.lfOutPrecision = static_cast<BYTE>(outPrecision);
  f.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  f.lfQuality = static_cast<BYTE>(quality);
  f.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::wcsncpy(f.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&f);
}

// ---------------------------------------------------------------------------------------------
// Regions.

namespace {
HRGN NewRegion(Region r) { return static_cast<HRGN>(RegisterObject(std::make_unique<RegionObject>(std::move(r)))); }
}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return NewRegion(Region::FromRect(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  return NewRegion(Region::RoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion(Region::Ellipse(left, top, right, bottom));
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  RegionObject* d = LookupRegion(dst);
  RegionObject* ra = LookupRegion(a);
  if (!d || !ra) return RGN_ERROR;
  if (mode == RGN_COPY) {
    d->region = ra->region;
    return d->region.Complexity();
  }
  RegionObject* rb = LookupRegion(b);
  if (!rb) return RGN_ERROR;
  Region::Op op;
  switch (mode) {
    case RGN_AND: op = Region::Op::And; break;
    case RGN_OR: op = Region::Op::Or; break;
    case RGN_XOR: op = Region::Op::Xor; break;
    case RGN_DIFF: op = Region::Op::Diff; break;
    default: return RGN_ERROR;
  }
  d->region = Region::Combine(ra->region, rb->region, op);
  return d->region.Complexity();
}

BOOL PtInRegion(HRGN region, int x, int y) {
  RegionObject* r = LookupRegion(region);
  return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
  RegionObject* r = LookupRegion(region);
  return r && rect && r->region.Intersects(*rect) ? TRUE : FALSE;
}

int GetRgnBox(HRGN region, RECT* box) {
  RegionObject* r = LookupRegion(region);
  if (!r || !box) return RGN_ERROR;
  *box = r->region.Bounds();
  return r->region.Complexity();
}

int OffsetRgn(HRGN region, int dx, int dy) {
  RegionObject* r = LookupRegion(region);
  if (!r) return RGN_ERROR;
  r->region.Offset(dx, dy);
  return r->region.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObject* ra = LookupRegion(a);
  RegionObject* rb = LookupRegion(b);
  return ra && rb && ra->region == rb->region ? TRUE : FALSE;
}

}  // namespace platform
