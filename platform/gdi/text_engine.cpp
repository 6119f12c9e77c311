#include "platform/gdi/text_engine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/base/process_state.h"
#include "platform/base/report.h"

namespace platform {

struct TextEngine {
  std::recursive_mutex lock;
  PangoFontMap* fontMap = nullptr;
  PangoContext* contexts[3] = {nullptr, nullptr, nullptr};  // by TextQuality
  std::string fontFolder;  // private folder for fonts added from memory (created on first use)
  struct MemoryFont {
    std::string path;
    int references = 0;
  };
  std::map<std::string, MemoryFont> memoryFonts;  // by content key
  std::map<void*, std::string> registrations;  // registration handle -> content key
  std::map<std::string, int> fontFiles;  // AddFontResourceEx paths and their counts
  std::uintptr_t nextRegistration = 1;
};

namespace {

TextEngine& Engine() {
  GdiState& gdi = State().gdi;
  std::call_once(gdi.textOnce, [&gdi] {
    auto* engine = new TextEngine();
    FcInit();
    engine->fontMap = pango_cairo_font_map_new();
    const TextQuality qualities[3] = {TextQuality::GridFit, TextQuality::Smooth, TextQuality::Aliased};
    for (int i = 0; i < 3; ++i) {
      PangoContext* context = pango_font_map_create_context(engine->fontMap);
      pango_cairo_context_set_resolution(context, 96.0);
      cairo_font_options_t* options = cairo_font_options_create();
      cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
      switch (qualities[i]) {
        case TextQuality::GridFit:
          cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
          cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
          cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
          break;
        case TextQuality::Smooth:
          cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
          cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
          cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
          break;
        case TextQuality::Aliased:
          cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
          cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
          cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
          break;
      }
      pango_cairo_context_set_font_options(context, options);
      cairo_font_options_destroy(options);
      pango_context_set_round_glyph_positions(context, qualities[i] != TextQuality::Smooth);
      engine->contexts[i] = context;
    }
    gdi.text = engine;
    // Fonts written from memory are private to the process: remove them when it ends.
    std::atexit([] {
      TextEngine* e = State().gdi.text;
      if (!e) return;
      for (const auto& [key, font] : e->memoryFonts) std::remove(font.path.c_str());
      if (!e->fontFolder.empty()) rmdir(e->fontFolder.c_str());
    });
  });
  return *gdi.text;
}

int QualityIndex(TextQuality q) {
  switch (q) {
    case TextQuality::GridFit: return 0;
    case TextQuality::Smooth: return 1;
    case TextQuality::Aliased: return 2;
  }
  return 0;
}

PangoFontDescription* Describe(const TextStyle& style) {
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, style.family.empty() ? "Sans" : style.family.c_str());
  pango_font_description_set_absolute_size(desc, std::max(style.pixelSize, 0.5) * PANGO_SCALE);
  pango_font_description_set_weight(desc, static_cast<PangoWeight>(std::clamp(style.weight, 100, 1000)));
  pango_font_description_set_style(desc, style.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return desc;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// After the set of fonts changed: fontconfig sees the new files, pango drops its caches.
void ReloadFonts(TextEngine& e) {
  FcConfigAppFontClear(nullptr);
  for (const auto& [key, font] : e.memoryFonts)
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(font.path.c_str()));
  for (const auto& [path, count] : e.fontFiles)
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()));
  pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(e.fontMap));
  for (PangoContext* c : e.contexts) pango_context_changed(c);
}

std::string ContentKey(const void* data, std::size_t size) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  char key[48];
  std::snprintf(key, sizeof key, "%016llx-%zu", static_cast<unsigned long long>(hash), size);
  return key;
}

bool EnsureFontFolder(TextEngine& e) {
  if (!e.fontFolder.empty()) return true;
  const char* base = std::getenv("XDG_RUNTIME_DIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zelvo-fonts-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) {
    ReportSystemFailure("cannot create the private font folder");
    return false;
  }
  e.fontFolder = buffer.data();
  return true;
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockText() { return std::unique_lock<std::recursive_mutex>(Engine().lock); }

PangoContext* TextContext(TextQuality quality) { return Engine().contexts[QualityIndex(quality)]; }

PangoLayout* NewLayout(const TextStyle& style, const std::string& text, TextQuality quality) {
  PangoLayout* layout = pango_layout_new(TextContext(quality));
  PangoFontDescription* desc = Describe(style);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  if (style.underline || style.strikeout) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (style.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (style.strikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  return layout;
}

FontMetrics MetricsOf(const TextStyle& style, TextQuality quality) {
  FontMetrics m;
  PangoFontDescription* desc = Describe(style);
  PangoFontMetrics* metrics = pango_context_get_metrics(TextContext(quality), desc, nullptr);
  pango_font_description_free(desc);
  if (!metrics) return m;
  m.ascent = pango_font_metrics_get_ascent(metrics) / static_cast<double>(PANGO_SCALE);
  m.descent = pango_font_metrics_get_descent(metrics) / static_cast<double>(PANGO_SCALE);
  m.averageCharWidth = pango_font_metrics_get_approximate_char_width(metrics) / static_cast<double>(PANGO_SCALE);
  pango_font_metrics_unref(metrics);
  return m;
}

bool FamilyAvailable(const std::string& family) {
  if (family.empty()) return false;
  auto lock = LockText();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  std::vector<std::string> accepted;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
    if (value.type == FcTypeString && binding != FcValueBindingWeak)
      accepted.push_back(Lower(reinterpret_cast<const char*>(value.u.s)));
  }
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  bool found = false;
  if (match) {
    FcChar8* name = nullptr;
    for (int i = 0; !found && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
      found = std::find(accepted.begin(), accepted.end(), Lower(reinterpret_cast<const char*>(name))) != accepted.end();
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return found;
}

std::vector<std::string> FamiliesOfFile(const std::string& path) {
  std::vector<std::string> out;
  FcFontSet* set = FcFontSetCreate();
  FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(path.c_str()), -1, nullptr, nullptr, set);
  for (int f = 0; f < set->nfont; ++f) {
    // The legacy family (the last family name in fontconfig's list, English preferred) is the one
    // the original interface reports: "Open Sans Semibold" rather than "Open Sans".
    std::string chosen;
    FcChar8* name = nullptr;
    FcChar8* lang = nullptr;
    for (int i = 0; FcPatternGetString(set->fonts[f], FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      const bool english = FcPatternGetString(set->fonts[f], FC_FAMILYLANG, i, &lang) != FcResultMatch ||
                           std::string(reinterpret_cast<const char*>(lang)).rfind("en", 0) == 0;
      if (english || chosen.empty()) chosen = reinterpret_cast<const char*>(name);
    }
    if (!chosen.empty() && std::find(out.begin(), out.end(), chosen) == out.end()) out.push_back(chosen);
  }
  FcFontSetDestroy(set);
  return out;
}

void* RegisterFontBytes(const void* data, std::size_t size, std::vector<std::string>* families) {
  if (!data || size == 0) return nullptr;
  auto lock = LockText();
  TextEngine& e = Engine();
  const std::string key = ContentKey(data, size);
  auto it = e.memoryFonts.find(key);
  if (it == e.memoryFonts.end()) {
    if (!EnsureFontFolder(e)) return nullptr;
    const std::string path = e.fontFolder + "/" + key + ".ttf";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
      ReportSystemFailure("cannot write a font file");
      return nullptr;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written || FamiliesOfFile(path).empty()) {
      std::remove(path.c_str());
      return nullptr;  // not a font
    }
    it = e.memoryFonts.emplace(key, TextEngine::MemoryFont{path, 0}).first;
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()));
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(e.fontMap));
    for (PangoContext* c : e.contexts) pango_context_changed(c);
  }
  ++it->second.references;
  if (families) *families = FamiliesOfFile(it->second.path);
  void* handle = reinterpret_cast<void*>(e.nextRegistration++);
  e.registrations[handle] = key;
  return handle;
}

bool UnregisterFontBytes(void* registration) {
  auto lock = LockText();
  TextEngine& e = Engine();
  auto it = e.registrations.find(registration);
  if (it == e.registrations.end()) return false;
  auto font = e.memoryFonts.find(it->second);
  e.registrations.erase(it);
  if (font != e.memoryFonts.end() && --font->second.references <= 0) {
    std::remove(font->second.path.c_str());
    e.memoryFonts.erase(font);
    ReloadFonts(e);
  }
  return true;
}

int RegisterFontFile(const std::string& path, std::vector<std::string>* families) {
  auto lock = LockText();
  TextEngine& e = Engine();
  std::vector<std::string> found = FamiliesOfFile(path);
  if (found.empty()) return 0;
  if (e.fontFiles[path]++ == 0) {
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()));
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(e.fontMap));
    for (PangoContext* c : e.contexts) pango_context_changed(c);
  }
  const int count = static_cast<int>(found.size());
  if (families) *families = std::move(found);
  return count;
}

bool UnregisterFontFile(const std::string& path) {
  auto lock = LockText();
  TextEngine& e = Engine();
  auto it = e.fontFiles.find(path);
  if (it == e.fontFiles.end()) return false;
  if (--it->second <= 0) {
    e.fontFiles.erase(it);
    ReloadFonts(e);
  }
  return true;
}

}  // namespace platform
