// MControlFont: a control with a title, a font, a text colour, alignment and a multi-state skin
// image from the window's image cache. It draws nothing itself; subclasses use its settings.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"
#include "toolkit/core/mcontrol.h"

namespace Zelvo {

class MControlFont : public MControl {
 public:
  MControlFont(MObject* owner, UINT id, CRect rect, const wchar_t* title, BOOL visible, BOOL enabled,
               BOOL mouseResponse);
  ~MControlFont() override;

  // --- virtual operations, in slot order ---
  virtual void SetTextFont(CString name);
  virtual void SetTextColor(Gdiplus::Color colour);
  // A resource image of the host program's module, through the window's image cache.
  virtual BOOL SetImage(UINT resourceId, CString resourceType, int count);
  // A file of the skin folder, through the window's image cache; FALSE without a manager or image.
  virtual BOOL SetImage(const wchar_t* fileName, int count);
  virtual void SetControlTitle(const wchar_t* title);
  virtual CString GetControlTitle();

  // --- plain operations ---
  void SetTitle(const wchar_t* title);
  CString GetTitle() { return GetControlTitle(); }
  void SetAlignment(UINT horizontal);
  void SetVAlignment(UINT vertical);
  void SetAlignment(UINT horizontal, UINT vertical);
  void GetAlignment(UINT& horizontal, UINT& vertical) const {
    horizontal = hAlign_;
    vertical = vAlign_;
  }
  void SetFont(const wchar_t* name, int size, Gdiplus::FontStyle style);
  void SetFontStyle(Gdiplus::FontStyle style) { fontStyle_ = style; }
  Gdiplus::FontStyle GetFontStyle() const { return fontStyle_; }
  void SetFontWidth(int size) { fontSize_ = size; }
  int GetFontWidth() const { return fontSize_; }
  CString GetTextFont() const { return fontName_; }
  CString GetImagePath() const { return imagePath_; }
  void SetImageCount(int count) { imageCount_ = count; }
  int GetImageCount() const { return imageCount_; }
  CSize GetImageSize() const { return CSize(frameWidth_, imageHeight_); }
  void SetTextRenderingHint(Gdiplus::TextRenderingHint hint) { renderingHint_ = hint; }
  Gdiplus::TextRenderingHint GetTextRenderingHint() const { return renderingHint_; }
  Gdiplus::Color GetTextColor() const { return textColour_; }
  Gdiplus::SolidBrush* GetTextBrush() const { return textBrush_; }
  Gdiplus::Image* GetImage() const { return image_; }
  // The family of the process-wide font name, as this control's own copy; null without one.
  Gdiplus::FontFamily* GetFontFamily(const wchar_t* name);
  HFONT GetGDIFont();
  void ClearGDIFont();

 protected:
  // Takes a cached image: count, image, slice width and height; repaints when visible.
  void AdoptImage(const struct ImgResInfo* info, int count);

  CString title_;
  CString fontName_;
  CString imagePath_;
  int fontSize_;
  Gdiplus::Color textColour_{0xFFFFFFFF};
  Gdiplus::SolidBrush* textBrush_ = nullptr;
  Gdiplus::FontStyle fontStyle_ = Gdiplus::FontStyleRegular;
  Gdiplus::FontFamily* fontFamily_ = nullptr;
  UINT hAlign_ = 0;
  UINT vAlign_ = 4;
  Gdiplus::TextRenderingHint renderingHint_ = Gdiplus::TextRenderingHintClearTypeGridFit;
  HFONT gdiFont_ = nullptr;
  Gdiplus::Image* image_ = nullptr;  // owned by the window's image cache
  int frameWidth_ = 0;
  int imageHeight_ = 0;
  int imageCount_ = 4;
};

}  // namespace Zelvo
