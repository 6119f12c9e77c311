// Text layout shared by GDI and GDI+ text: pango over fontconfig, one font map for the process,
// fonts added from files and memory. Internal to the drawing layer.
//
// Rendering settings are fixed so that drawn text is the same on every machine with the same
// fonts: grayscale anti-aliasing (never sub-pixel), and
//   Quality::GridFit  - slight hinting, metrics hinted to whole pixels (GDI text; GDI+ grid-fit
//                       and ClearType hints, the system default hint)
//   Quality::Smooth   - no hinting, fractional metrics (GDI+ TextRenderingHintAntiAlias)
//   Quality::Aliased  - no anti-aliasing, slight hinting (single-bit hints, NONANTIALIASED_QUALITY)
// Resolution 96 dots per inch; sizes are absolute pixels.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/win_types.h"

typedef struct _PangoLayout PangoLayout;
typedef struct _PangoContext PangoContext;

namespace platform {

struct TextStyle {
  std::string family;  // UTF-8 family name
  double pixelSize = 12.0;  // em size in pixels
  int weight = 400;  // 100..900
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
};

enum class TextQuality { GridFit, Smooth, Aliased };

struct FontMetrics {
  double ascent = 0;  // pixels
  double descent = 0;
  double averageCharWidth = 0;
  double lineHeight() const { return ascent + descent; }
};

// Every use of pango and of the font registry happens with this lock held (recursive).
std::unique_lock<std::recursive_mutex> LockText();

// A new layout of `text` in `style` (caller holds LockText and unrefs the layout).
PangoLayout* NewLayout(const TextStyle& style, const std::string& text, TextQuality quality);
PangoContext* TextContext(TextQuality quality);
FontMetrics MetricsOf(const TextStyle& style, TextQuality quality);

// True when fontconfig has the family itself, or a font it declares equivalent to it (a
// metric-compatible alias), rather than only an unrelated default. Case-insensitive.
bool FamilyAvailable(const std::string& family);

// Fonts from data. Each registration is kept until removed; the same bytes registered twice
// share one file and are released with the last registration. Family names are the GDI names
// (the legacy family of each face). Null / 0 on failure.
void* RegisterFontBytes(const void* data, std::size_t size, std::vector<std::string>* families);
bool UnregisterFontBytes(void* registration);
int RegisterFontFile(const std::string& path, std::vector<std::string>* families);
bool UnregisterFontFile(const std::string& path);
// The GDI family names of the faces in a font file.
std::vector<std::string> FamiliesOfFile(const std::string& path);

}  // namespace platform
