// The GDI+ classes the toolkit draws with, as our own thin types over cairo, pango and
// gdk-pixbuf. Names and numbers follow the original interface; only what the toolkit uses is here.
//
// Pixels: images keep their frames as platform::Bitmap (premultiplied BGRA). A Graphics draws
// with ordinary premultiplied source-over compositing into a DC's bitmap (honouring the DC's
// viewport origin and clip at the time the Graphics is made) or into an image's active frame.
//
// Differences from the original worth knowing:
// - Images are decoded with gdk-pixbuf (PNG, GIF with its frames, ICO, BMP, JPEG). Image bytes
//   come from a file (FromFile) or from memory (FromMemory, in place of streams).
// - Scaled drawing never blends in pixels from outside the source rectangle (the edges are
//   padded), and pixel centres sit at +0.5 (the original's PixelOffsetModeHalf). Unscaled drawing
//   at whole-pixel positions copies pixels exactly.
// - Text: pango with grayscale anti-aliasing whatever the rendering hint asks (no ClearType);
//   no extra padding is added around strings. See gdiplus_text.cpp.
// - GdiplusStartup and GdiplusShutdown only record the call; nothing depends on them.
// - Families of PrivateFontCollection are registered with fontconfig for the whole process, so
//   they are also found by name afterwards.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi_types.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_pattern cairo_pattern_t;

namespace Gdiplus {

using REAL = float;
using ARGB = DWORD;
using PixelFormat = INT;
using GraphicsState = UINT;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};

enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5, UnitMillimeter = 6 };

enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

enum StringFormatFlags {
  StringFormatFlagsDirectionRightToLeft = 0x0001,
  StringFormatFlagsDirectionVertical = 0x0002,
  StringFormatFlagsNoFitBlackBox = 0x0004,
  StringFormatFlagsDisplayFormatControl = 0x0020,
  StringFormatFlagsNoFontFallback = 0x0400,
  StringFormatFlagsMeasureTrailingSpaces = 0x0800,
  StringFormatFlagsNoWrap = 0x1000,
  StringFormatFlagsLineLimit = 0x2000,
  StringFormatFlagsNoClip = 0x4000,
};

enum StringTrimming {
  StringTrimmingNone = 0,
  StringTrimmingCharacter = 1,
  StringTrimmingWord = 2,
  StringTrimmingEllipsisCharacter = 3,
  StringTrimmingEllipsisWord = 4,
  StringTrimmingEllipsisPath = 5,
};

enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5,
};

enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
};

enum InterpolationMode {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum PixelOffsetMode {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4,
};

enum CompositingMode { CompositingModeSourceOver = 0, CompositingModeSourceCopy = 1 };

enum CompositingQuality {
  CompositingQualityInvalid = -1,
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed = 1,
  CompositingQualityHighQuality = 2,
  CompositingQualityGammaCorrected = 3,
  CompositingQualityAssumeLinear = 4,
};

enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum CombineMode {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
  CombineModeUnion = 2,
  CombineModeXor = 3,
  CombineModeExclude = 4,
  CombineModeComplement = 5,
};
enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum DashStyle { DashStyleSolid = 0, DashStyleDash = 1, DashStyleDot = 2, DashStyleDashDot = 3, DashStyleDashDotDot = 4 };
enum LinearGradientMode {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3,
};
enum BrushType { BrushTypeSolidColor = 0, BrushTypeHatchFill = 1, BrushTypeTextureFill = 2, BrushTypePathGradient = 3, BrushTypeLinearGradient = 4 };
enum ImageLockMode { ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4 };
enum FlushIntention { FlushIntentionFlush = 0, FlushIntentionSync = 1 };

constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;

// {6AEDBD6D-3FB5-418A-83A6-7F45229DC872}: frames of an animation.
inline constexpr GUID FrameDimensionTime = {0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};
// {7462DC86-6180-4C7E-8E3F-EE7333A7A483}: pages of a multi-page image.
inline constexpr GUID FrameDimensionPage = {0x7462DC86, 0x6180, 0x4C7E, {0x8E, 0x3F, 0xEE, 0x73, 0x33, 0xA7, 0xA4, 0x83}};

// ---------------------------------------------------------------------------------------------
// Start-up (recorded only).

struct GdiplusStartupInput {
  std::uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// ---------------------------------------------------------------------------------------------
// Values.

class Color {
 public:
  enum : ARGB {
    Black = 0xFF000000,
    White = 0xFFFFFFFF,
    Red = 0xFFFF0000,
    Green = 0xFF008000,
    Blue = 0xFF0000FF,
    Gray = 0xFF808080,
    Transparent = 0x00FFFFFF,
  };
  Color() : argb_(Black) {}
  Color(ARGB argb) : argb_(argb) {}  // NOLINT: implicit as in the original
  Color(BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(a, r, g, b)) {}
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) | b;
  }
  BYTE GetA() const { return static_cast<BYTE>(argb_ >> 24); }
  BYTE GetR() const { return static_cast<BYTE>(argb_ >> 16); }
  BYTE GetG() const { return static_cast<BYTE>(argb_ >> 8); }
  BYTE GetB() const { return static_cast<BYTE>(argb_); }
  BYTE GetAlpha() const { return GetA(); }
  BYTE GetRed() const { return GetR(); }
  BYTE GetGreen() const { return GetG(); }
  BYTE GetBlue() const { return GetB(); }
  ARGB GetValue() const { return argb_; }
  void SetValue(ARGB argb) { argb_ = argb; }
  void SetFromCOLORREF(COLORREF c) { argb_ = MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)); }
  COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }

 private:
  ARGB argb_;
};

struct Point {
  Point() : X(0), Y(0) {}
  Point(INT x, INT y) : X(x), Y(y) {}
  INT X;
  INT Y;
};
struct PointF {
  PointF() : X(0), Y(0) {}
  PointF(REAL x, REAL y) : X(x), Y(y) {}
  REAL X;
  REAL Y;
};
struct Size {
  Size() : Width(0), Height(0) {}
  Size(INT w, INT h) : Width(w), Height(h) {}
  INT Width;
  INT Height;
};
struct SizeF {
  SizeF() : Width(0), Height(0) {}
  SizeF(REAL w, REAL h) : Width(w), Height(h) {}
  REAL Width;
  REAL Height;
};
struct Rect {
  Rect() : X(0), Y(0), Width(0), Height(0) {}
  Rect(INT x, INT y, INT w, INT h) : X(x), Y(y), Width(w), Height(h) {}
  INT GetLeft() const { return X; }
  INT GetTop() const { return Y; }
  INT GetRight() const { return X + Width; }
  INT GetBottom() const { return Y + Height; }
  BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }
  BOOL Contains(INT x, INT y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
  void Offset(INT dx, INT dy) { X += dx, Y += dy; }
  void Inflate(INT dx, INT dy) { X -= dx, Y -= dy, Width += 2 * dx, Height += 2 * dy; }
  INT X;
  INT Y;
  INT Width;
  INT Height;
};
struct RectF {
  RectF() : X(0), Y(0), Width(0), Height(0) {}
  RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
  REAL GetLeft() const { return X; }
  REAL GetTop() const { return Y; }
  REAL GetRight() const { return X + Width; }
  REAL GetBottom() const { return Y + Height; }
  BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }
  BOOL Contains(REAL x, REAL y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
  void Offset(REAL dx, REAL dy) { X += dx, Y += dy; }
  void Inflate(REAL dx, REAL dy) { X -= dx, Y -= dy, Width += 2 * dx, Height += 2 * dy; }
  REAL X;
  REAL Y;
  REAL Width;
  REAL Height;
};

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  Gdiplus::PixelFormat PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};

// ---------------------------------------------------------------------------------------------
// Images.

class Image {
 public:
  explicit Image(const WCHAR* fileName, BOOL useEmbeddedColorManagement = FALSE);
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // Never null: a failed load gives an image whose GetLastStatus is not Ok and whose size is 0.
  static Image* FromFile(const WCHAR* fileName, BOOL useEmbeddedColorManagement = FALSE);
  // Decodes encoded bytes (PNG, GIF, ICO, BMP, JPEG); the bytes are not kept. Never null.
  static Image* FromMemory(const void* data, std::size_t size);

  UINT GetWidth();
  UINT GetHeight();
  Status GetLastStatus() const;
  PixelFormat GetPixelFormat();
  Image* Clone();
  // A copy scaled to thumbWidth × thumbHeight (both 0: the image's own size).
  Image* GetThumbnailImage(UINT thumbWidth, UINT thumbHeight, void* callback = nullptr, void* callbackData = nullptr);

  // Frames: an animated GIF has one dimension (FrameDimensionTime) with one frame per picture;
  // any other image has one dimension (FrameDimensionPage) with one frame.
  UINT GetFrameDimensionsCount();
  Status GetFrameDimensionsList(GUID* dimensionIds, UINT count);
  UINT GetFrameCount(const GUID* dimensionId);
  Status SelectActiveFrame(const GUID* dimensionId, UINT frameIndex);
  // Display time of a frame in milliseconds (0 for still images).
  UINT GetFrameDelay(UINT frameIndex) const;

  // The pixels of the active frame (null for an image that did not load).
  platform::Bitmap* ActiveFrame() const;

 protected:
  Image() = default;
  struct Frame {
    std::unique_ptr<platform::Bitmap> pixels;
    UINT delayMs = 0;
  };
  void Decode(const std::uint8_t* data, std::size_t size);
  void SetFrames(std::vector<Frame> frames, bool animated);
  Status SetStatus(Status status) const {
    if (status != Ok) lastStatus_ = status;
    return status;
  }

  std::vector<Frame> frames_;
  bool animated_ = false;
  UINT activeFrame_ = 0;
  mutable Status lastStatus_ = Ok;
  friend class Graphics;
};

class Bitmap : public Image {
 public:
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
  explicit Bitmap(const WCHAR* fileName, BOOL useEmbeddedColorManagement = FALSE);
  // A copy of the bitmap's pixels; as in the original, a 32-bit HBITMAP's alpha is ignored
  // (the copy is opaque).
  Bitmap(HBITMAP bitmap, HPALETTE palette);
  ~Bitmap() override;
  static Bitmap* FromFile(const WCHAR* fileName, BOOL useEmbeddedColorManagement = FALSE);
  static Bitmap* FromHBITMAP(HBITMAP bitmap, HPALETTE palette);

  // Straight (not premultiplied) ARGB.
  Status GetPixel(INT x, INT y, Color* colour);
  Status SetPixel(INT x, INT y, const Color& colour);
  // PixelFormat32bppPARGB gives the pixels in place; PixelFormat32bppARGB a straight-alpha copy
  // that UnlockBits writes back when ImageLockModeWrite was asked.
  Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data);
  Status UnlockBits(BitmapData* data);
  // A new top-down 32-bit HBITMAP (the caller deletes it); pixels composited over background.
  Status GetHBITMAP(const Color& background, HBITMAP* bitmap);
  Status GetHICON(HICON* icon);

 private:
  Bitmap() = default;
  struct Lock;
  std::unique_ptr<Lock> lock_;
  friend class Image;
};

class ImageAttributes {
 public:
  ImageAttributes() = default;
  // Accepted and ignored: scaled drawing never reads outside the source rectangle anyway.
  Status SetWrapMode(WrapMode wrap, const Color& colour = Color(), BOOL clamp = FALSE) { return Ok; }
};

// ---------------------------------------------------------------------------------------------
// Brushes and pens.

class Brush {
 public:
  virtual ~Brush();
  virtual Brush* Clone() const = 0;
  BrushType GetType() const { return type_; }
  Status GetLastStatus() const { return lastStatus_; }
  // A new cairo source for this brush (the caller destroys it).
  virtual cairo_pattern_t* CreatePattern() const = 0;

 protected:
  explicit Brush(BrushType type) : type_(type) {}
  BrushType type_;
  mutable Status lastStatus_ = Ok;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& colour) : Brush(BrushTypeSolidColor), colour_(colour) {}
  Brush* Clone() const override { return new SolidBrush(colour_); }
  Status GetColor(Color* colour) const;
  Status SetColor(const Color& colour);
  cairo_pattern_t* CreatePattern() const override;

 private:
  Color colour_;
};

class TextureBrush : public Brush {
 public:
  // Tiles the whole image (a copy of its active frame) from the origin of the drawing surface.
  TextureBrush(Image* image, WrapMode wrap = WrapModeTile);
  TextureBrush(Image* image, WrapMode wrap, const Rect& sourceRect);
  ~TextureBrush() override;
  Brush* Clone() const override;
  Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
  Status ResetTransform();
  cairo_pattern_t* CreatePattern() const override;

 private:
  TextureBrush() : Brush(BrushTypeTextureFill) {}
  std::shared_ptr<platform::Bitmap> tile_;
  WrapMode wrap_ = WrapModeTile;
  REAL dx_ = 0;
  REAL dy_ = 0;
};

class LinearGradientBrush : public Brush {
 public:
  LinearGradientBrush(const PointF& p1, const PointF& p2, const Color& c1, const Color& c2);
  LinearGradientBrush(const Point& p1, const Point& p2, const Color& c1, const Color& c2);
  LinearGradientBrush(const RectF& rect, const Color& c1, const Color& c2, LinearGradientMode mode);
  LinearGradientBrush(const Rect& rect, const Color& c1, const Color& c2, LinearGradientMode mode);
  Brush* Clone() const override { return new LinearGradientBrush(p1_, p2_, c1_, c2_); }
  cairo_pattern_t* CreatePattern() const override;

 private:
  PointF p1_, p2_;
  Color c1_, c2_;
};

class Pen {
 public:
  explicit Pen(const Color& colour, REAL width = 1.0f) : colour_(colour), width_(width) {}
  explicit Pen(const Brush* brush, REAL width = 1.0f);
  ~Pen();
  Pen(const Pen&) = delete;
  Pen& operator=(const Pen&) = delete;
  Pen* Clone() const;
  Status SetColor(const Color& colour);
  Status GetColor(Color* colour) const;
  Status SetWidth(REAL width);
  REAL GetWidth() const { return width_; }
  Status SetDashStyle(DashStyle style);
  DashStyle GetDashStyle() const { return dash_; }
  Status GetLastStatus() const { return Ok; }
  // Sets the pen as cairo's source and stroke style.
  void Apply(cairo_t* cr) const;

 private:
  Color colour_;
  REAL width_;
  DashStyle dash_ = DashStyleSolid;
  std::unique_ptr<Brush> brush_;
};

// ---------------------------------------------------------------------------------------------
// Fonts and text.

class FontCollection;

class FontFamily {
 public:
  FontFamily() : lastStatus_(FontFamilyNotFound) {}
  // Found among installed fonts and fonts registered from files or memory (the collection, when
  // given, must know the family). Not found: GetLastStatus() is FontFamilyNotFound. A name that
  // fontconfig only replaces by an unrelated default font is not found; a metric-compatible
  // alias it declares (Arial -> Liberation Sans) is.
  FontFamily(const WCHAR* name, const FontCollection* collection = nullptr);
  FontFamily(const FontFamily&) = default;
  FontFamily& operator=(const FontFamily&) = default;
  static const FontFamily* GenericSansSerif();
  static const FontFamily* GenericSerif();
  static const FontFamily* GenericMonospace();

  FontFamily* Clone() const { return new FontFamily(*this); }
  Status GetFamilyName(WCHAR name[LF_FACESIZE], LANGID language = 0) const;
  BOOL IsAvailable() const { return lastStatus_ == Ok; }
  BOOL IsStyleAvailable(INT style) const { return IsAvailable(); }
  Status GetLastStatus() const { return lastStatus_; }
  // Design metrics (font units), as in the original: em height, ascent, descent, line spacing.
  UINT16 GetEmHeight(INT style) const;
  UINT16 GetCellAscent(INT style) const;
  UINT16 GetCellDescent(INT style) const;
  UINT16 GetLineSpacing(INT style) const;

  // The family name pango and fontconfig are asked for (UTF-8).
  const std::string& pangoFamily() const { return family_; }

 private:
  friend class FontCollection;
  friend class PrivateFontCollection;
  std::string family_;
  Status lastStatus_;
};

class FontCollection {
 public:
  FontCollection() = default;
  virtual ~FontCollection() = default;
  INT GetFamilyCount() const { return static_cast<INT>(families_.size()); }
  Status GetFamilies(INT numSought, FontFamily* families, INT* numFound) const;
  Status GetLastStatus() const { return lastStatus_; }
  bool HasFamily(const std::string& family) const;

 protected:
  std::vector<std::string> families_;  // GDI family names (UTF-8), in the order added
  mutable Status lastStatus_ = Ok;
};

class InstalledFontCollection : public FontCollection {
 public:
  InstalledFontCollection();
};

class PrivateFontCollection : public FontCollection {
 public:
  PrivateFontCollection() = default;
  ~PrivateFontCollection() override;
  Status AddFontFile(const WCHAR* fileName);
  Status AddMemoryFont(const void* memory, INT length);

 private:
  std::vector<void*> registrations_;  // memory-font registrations released with the collection
};

class Font {
 public:
  Font(const FontFamily* family, REAL emSize, INT style = FontStyleRegular, Unit unit = UnitPoint);
  Font(const WCHAR* familyName, REAL emSize, INT style = FontStyleRegular, Unit unit = UnitPoint,
       const FontCollection* collection = nullptr);
  Font(HDC dc, const LOGFONTW* logfont);
  Font(HDC dc, HFONT font);
  Font(const Font&) = default;
  Font* Clone() const { return new Font(*this); }

  Status GetFamily(FontFamily* family) const;
  REAL GetSize() const { return emSize_; }
  INT GetStyle() const { return style_; }
  Unit GetUnit() const { return unit_; }
  BOOL IsAvailable() const { return lastStatus_ == Ok; }
  Status GetLastStatus() const { return lastStatus_; }
  // Line spacing in pixels at `dpi` (pixel-unit fonts do not depend on it).
  REAL GetHeight(REAL dpi) const;
  REAL GetHeight(const class Graphics* graphics) const;
  Status GetLogFontW(const class Graphics* graphics, LOGFONTW* logfont) const;

  // The em size in pixels at 96 dots per inch.
  REAL PixelSize() const;
  const FontFamily& family() const { return family_; }

 private:
  FontFamily family_;
  REAL emSize_;
  INT style_;
  Unit unit_;
  Status lastStatus_;
};

class StringFormat {
 public:
  explicit StringFormat(INT formatFlags = 0, LANGID language = 0) : flags_(formatFlags) {}
  StringFormat(const StringFormat* format);
  StringFormat(const StringFormat&) = default;
  StringFormat& operator=(const StringFormat&) = default;
  static const StringFormat* GenericDefault();
  static const StringFormat* GenericTypographic();
  StringFormat* Clone() const { return new StringFormat(*this); }

  Status SetAlignment(StringAlignment align) { align_ = align; return Ok; }
  StringAlignment GetAlignment() const { return align_; }
  Status SetLineAlignment(StringAlignment align) { lineAlign_ = align; return Ok; }
  StringAlignment GetLineAlignment() const { return lineAlign_; }
  Status SetFormatFlags(INT flags) { flags_ = flags; return Ok; }
  INT GetFormatFlags() const { return flags_; }
  Status SetTrimming(StringTrimming trimming) { trimming_ = trimming; return Ok; }
  StringTrimming GetTrimming() const { return trimming_; }
  Status GetLastStatus() const { return Ok; }

 private:
  INT flags_;
  StringAlignment align_ = StringAlignmentNear;
  StringAlignment lineAlign_ = StringAlignmentNear;
  StringTrimming trimming_ = StringTrimmingCharacter;
};

// ---------------------------------------------------------------------------------------------
// Paths.

class GraphicsPath {
 public:
  explicit GraphicsPath(FillMode fillMode = FillModeAlternate) : fillMode_(fillMode) {}
  GraphicsPath(const GraphicsPath&) = default;
  GraphicsPath* Clone() const { return new GraphicsPath(*this); }

  // Angles in degrees, clockwise on screen from the positive x axis; the arc joins the open
  // figure with a line.
  Status AddArc(REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
  Status AddArc(INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle);
  Status AddArc(const RectF& rect, REAL startAngle, REAL sweepAngle);
  Status AddArc(const Rect& rect, REAL startAngle, REAL sweepAngle);
  Status AddLine(REAL x1, REAL y1, REAL x2, REAL y2);
  Status AddLine(INT x1, INT y1, INT x2, INT y2);
  Status AddLine(const PointF& p1, const PointF& p2);
  Status AddRectangle(const RectF& rect);
  Status AddRectangle(const Rect& rect);
  Status AddEllipse(REAL x, REAL y, REAL width, REAL height);
  Status AddEllipse(const RectF& rect);
  Status AddEllipse(const Rect& rect);
  // Glyph outlines of the string, laid out as Graphics::DrawString would (emSize in pixels).
  Status AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                   const RectF& layoutRect, const StringFormat* format);
  Status AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                   const PointF& origin, const StringFormat* format);
  Status AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                   const Rect& layoutRect, const StringFormat* format);
  Status StartFigure();
  Status CloseFigure();
  Status CloseAllFigures();
  Status Reset();
  // Bounds of the outline (flattened; the pen's width is not added).
  Status GetBounds(RectF* bounds, const void* matrix = nullptr, const Pen* pen = nullptr) const;
  Status GetBounds(Rect* bounds, const void* matrix = nullptr, const Pen* pen = nullptr) const;
  INT GetPointCount() const;
  FillMode GetFillMode() const { return fillMode_; }
  Status SetFillMode(FillMode mode) { fillMode_ = mode; return Ok; }
  Status GetLastStatus() const { return lastStatus_; }

  // Replays the path on cr (as a new cairo path).
  void Replay(cairo_t* cr) const;

  enum class Op { MoveTo, LineTo, CurveTo, Close };
  struct Element {
    Op op;
    PointF p[3];
  };

 private:
  void LineOrMoveTo(REAL x, REAL y);
  std::vector<Element> elements_;
  bool figureOpen_ = false;
  FillMode fillMode_;
  mutable Status lastStatus_ = Ok;
};

// ---------------------------------------------------------------------------------------------
// Drawing.

class Graphics {
 public:
  explicit Graphics(HDC dc);
  explicit Graphics(Image* image);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  static Graphics* FromHDC(HDC dc) { return new Graphics(dc); }
  static Graphics* FromImage(Image* image) { return new Graphics(image); }

  Status GetLastStatus() const;  // the last error since the previous call, then Ok again
  Status Flush(FlushIntention intention = FlushIntentionFlush);

  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const { return smoothing_; }
  Status SetTextRenderingHint(TextRenderingHint hint);
  TextRenderingHint GetTextRenderingHint() const { return textHint_; }
  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const { return interpolation_; }
  Status SetPixelOffsetMode(PixelOffsetMode mode);
  PixelOffsetMode GetPixelOffsetMode() const { return pixelOffset_; }
  Status SetCompositingMode(CompositingMode mode);
  CompositingMode GetCompositingMode() const { return compositing_; }
  Status SetCompositingQuality(CompositingQuality quality);
  Status SetTextContrast(UINT contrast) { return Ok; }

  Status Clear(const Color& colour);  // replaces every pixel inside the clip

  Status SetClip(const Rect& rect, CombineMode mode = CombineModeReplace);
  Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
  Status SetClip(const GraphicsPath* path, CombineMode mode = CombineModeReplace);
  Status IntersectClip(const Rect& rect);
  Status IntersectClip(const RectF& rect);
  Status ResetClip();  // back to the clip the Graphics started with

  Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
  Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend);
  Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend);
  Status ResetTransform();
  GraphicsState Save();
  Status Restore(GraphicsState state);

  // Images: destination in world units, source in pixels of the active frame.
  Status DrawImage(Image* image, INT x, INT y);
  Status DrawImage(Image* image, REAL x, REAL y);
  Status DrawImage(Image* image, const Point& point);
  Status DrawImage(Image* image, const PointF& point);
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
  Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
  Status DrawImage(Image* image, const Rect& dst);
  Status DrawImage(Image* image, const RectF& dst);
  Status DrawImage(Image* image, INT x, INT y, INT srcX, INT srcY, INT srcWidth, INT srcHeight, Unit srcUnit);
  Status DrawImage(Image* image, const Rect& dst, INT srcX, INT srcY, INT srcWidth, INT srcHeight, Unit srcUnit,
                   const ImageAttributes* attributes = nullptr, void* abortCallback = nullptr,
                   void* callbackData = nullptr);
  Status DrawImage(Image* image, const RectF& dst, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight, Unit srcUnit,
                   const ImageAttributes* attributes = nullptr, void* abortCallback = nullptr,
                   void* callbackData = nullptr);

  // Shapes.
  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
  Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillRectangle(const Brush* brush, const Rect& rect);
  Status FillRectangle(const Brush* brush, const RectF& rect);
  Status DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height);
  Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawRectangle(const Pen* pen, const Rect& rect);
  Status DrawRectangle(const Pen* pen, const RectF& rect);
  Status FillEllipse(const Brush* brush, INT x, INT y, INT width, INT height);
  Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillEllipse(const Brush* brush, const Rect& rect);
  Status FillEllipse(const Brush* brush, const RectF& rect);
  Status DrawEllipse(const Pen* pen, INT x, INT y, INT width, INT height);
  Status DrawEllipse(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawEllipse(const Pen* pen, const Rect& rect);
  Status DrawEllipse(const Pen* pen, const RectF& rect);
  Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2);
  Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
  Status DrawLine(const Pen* pen, const Point& p1, const Point& p2);
  Status DrawLine(const Pen* pen, const PointF& p1, const PointF& p2);
  Status FillPath(const Brush* brush, const GraphicsPath* path);
  Status DrawPath(const Pen* pen, const GraphicsPath* path);

  // Text. length −1: up to the terminating zero. The layout rectangle wraps lines at its width
  // (unless NoWrap), aligns them (alignment, line alignment) and clips to it (unless NoClip);
  // an empty layout width or height means no limit in that direction.
  Status DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                    const StringFormat* format, const Brush* brush);
  Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush);
  Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                    const StringFormat* format, const Brush* brush);
  // The box the drawn text occupies: positioned as drawn, width the widest line, height the
  // number of lines × the font's line spacing.
  Status MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                       const StringFormat* format, RectF* boundingBox, INT* codepointsFitted = nullptr,
                       INT* linesFilled = nullptr) const;
  Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                       const StringFormat* format, RectF* boundingBox) const;
  Status MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layoutRect,
                       RectF* boundingBox) const;
  Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                       RectF* boundingBox) const;

  REAL GetDpiX() const { return 96.0f; }
  REAL GetDpiY() const { return 96.0f; }
  platform::Bitmap* target() const { return target_; }

 private:
  void Init(platform::Bitmap* target);
  Status Record(Status status) const {
    if (status != Ok) lastStatus_ = status;
    return status;
  }
  void PrepareShape() const;  // antialias per smoothing mode
  Status FillCurrentPath(const Brush* brush);
  Status StrokeCurrentPath(const Pen* pen);

  void ApplyBaseClip();

  platform::Bitmap* target_ = nullptr;
  cairo_t* cr_ = nullptr;
  // What the Graphics started with (a DC's viewport origin and clip), kept for ResetClip and
  // ResetTransform; the base clip is in device pixels, empty base clip list = no clip.
  int baseX_ = 0;
  int baseY_ = 0;
  bool hasBaseClip_ = false;
  std::vector<RECT> baseClip_;
  UINT saveDepth_ = 0;
  SmoothingMode smoothing_ = SmoothingModeNone;
  TextRenderingHint textHint_ = TextRenderingHintSystemDefault;
  InterpolationMode interpolation_ = InterpolationModeBilinear;
  PixelOffsetMode pixelOffset_ = PixelOffsetModeDefault;
  CompositingMode compositing_ = CompositingModeSourceOver;
  mutable Status lastStatus_ = Ok;
};

}  // namespace Gdiplus
