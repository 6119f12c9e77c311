// Device contexts and the GDI objects behind the handles: where drawing goes and the drawing
// state that goes with it. Internal to the drawing layer (and the bridge in surface_dc.h).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/region.h"

namespace platform {

struct DeviceContext;

struct GdiObject {
  explicit GdiObject(DWORD objectType) : type(objectType) {}
  virtual ~GdiObject() = default;
  DWORD type;  // OBJ_BITMAP, OBJ_BRUSH, OBJ_PEN, OBJ_FONT, OBJ_REGION
  bool stock = false;  // stock objects are never deleted
};

struct BitmapObject : GdiObject {
  BitmapObject(int width, int height, Bitmap::RowOrder order, bool isDibSection)
      : GdiObject(OBJ_BITMAP), pixels(std::make_unique<Bitmap>(width, height, order)), dibSection(isDibSection) {}
  std::unique_ptr<Bitmap> pixels;
  bool dibSection;
  DeviceContext* selectedInto = nullptr;  // a bitmap is selected into at most one DC
};

struct BrushObject : GdiObject {
  explicit BrushObject(COLORREF c, bool isNull = false) : GdiObject(OBJ_BRUSH), colour(c), null(isNull) {}
  COLORREF colour;
  bool null;
};

struct PenObject : GdiObject {
  PenObject(int s, int w, COLORREF c) : GdiObject(OBJ_PEN), style(s), width(w), colour(c) {}
  int style;
  int width;
  COLORREF colour;
};

struct FontObject : GdiObject {
  explicit FontObject(const LOGFONTW& f) : GdiObject(OBJ_FONT), logfont(f) {}
  LOGFONTW logfont;
};

struct RegionObject : GdiObject {
  explicit RegionObject(Region r) : GdiObject(OBJ_REGION), region(std::move(r)) {}
  Region region;
};

struct IconObject {
  IconObject(int width, int height) : pixels(width, height) {}
  Bitmap pixels;
  bool isIcon = true;
  DWORD hotX = 0;
  DWORD hotY = 0;
};

// The state SaveDC keeps and RestoreDC brings back.
struct DcDrawingState {
  BitmapObject* bitmap = nullptr;  // selected bitmap (memory DCs)
  FontObject* font = nullptr;
  BrushObject* brush = nullptr;
  PenObject* pen = nullptr;
  int bkMode = OPAQUE;
  COLORREF bkColour = RGB(255, 255, 255);
  COLORREF textColour = RGB(0, 0, 0);
  POINT viewportOrigin{0, 0};
  POINT penPosition{0, 0};
  std::optional<Region> clip;  // device coordinates; none: the whole bitmap
};

struct DeviceContext {
  Bitmap* target = nullptr;  // surface DCs: the pixels drawing lands in; not owned
  bool memoryDc = false;  // CreateCompatibleDC: draws into the selected bitmap
  DcDrawingState state;
  std::vector<DcDrawingState> saved;  // SaveDC stack

  // Where drawing lands now: the selected bitmap or the surface target.
  Bitmap* Surface() const { return memoryDc ? (state.bitmap ? state.bitmap->pixels.get() : nullptr) : target; }
};

inline HDC ToHDC(DeviceContext* dc) { return reinterpret_cast<HDC>(dc); }

// Checked conversions: null unless the handle is a live object of that kind.
DeviceContext* LookupDC(HDC dc);
GdiObject* LookupObject(HGDIOBJ object);
BitmapObject* LookupBitmap(HGDIOBJ object);
BrushObject* LookupBrush(HGDIOBJ object);
PenObject* LookupPen(HGDIOBJ object);
FontObject* LookupFont(HGDIOBJ object);
RegionObject* LookupRegion(HGDIOBJ object);
IconObject* LookupIcon(HICON icon);

// Registration of new handles (the registry lives in GdiState).
HDC RegisterDC(std::unique_ptr<DeviceContext> dc);
void UnregisterDC(DeviceContext* dc);  // deletes it
HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object);
HICON RegisterIcon(std::unique_ptr<IconObject> icon);

// The LOGFONTW of the stock GUI font (DEFAULT_GUI_FONT): "Arial"... see gdi_objects.cpp.
const LOGFONTW& DefaultGuiLogFont();

}  // namespace platform
