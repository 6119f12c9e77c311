#include "toolkit/core/mcontrol_font.h"

#include <cwchar>

#include "toolkit/core/manager.h"
#include "toolkit/window/paint_manager.h"

namespace Zelvo {

MControlFont::MControlFont(MObject* owner, UINT id, CRect rect, const wchar_t* title, BOOL visible, BOOL enabled,
                           BOOL mouseResponse)
    : MControl(owner, id, rect, visible, enabled, mouseResponse),
      title_(title),
      fontName_(Manager::GetFontName()),
      fontSize_(Manager::GetFontWidth()),
      textBrush_(new Gdiplus::SolidBrush(textColour_)) {}

MControlFont::~MControlFont() {
  ClearGDIFont();
  delete textBrush_;
  delete fontFamily_;
}

void MControlFont::SetTextFont(CString name) { fontName_ = name; }

void MControlFont::SetTextColor(Gdiplus::Color colour) {
  textColour_ = colour;
  delete textBrush_;
  textBrush_ = new Gdiplus::SolidBrush(colour);
}

void MControlFont::AdoptImage(const ImgResInfo* info, int count) {
  imageCount_ = count;
  image_ = info->image;
  frameWidth_ = info->frameWidth;
  imageHeight_ = info->height;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

BOOL MControlFont::SetImage(UINT resourceId, CString resourceType, int count) {
  if (manager_ == nullptr) return FALSE;
  const ImgResInfo* info = manager_->AddImgResInfo(resourceId, resourceType, count, TRUE);
  if (info == nullptr) return FALSE;
  AdoptImage(info, count);
  return TRUE;
}

BOOL MControlFont::SetImage(const wchar_t* fileName, int count) {
  if (manager_ == nullptr || fileName == nullptr) return FALSE;
  const ImgResInfo* info = manager_->AddImgResInfo(fileName, count);
  if (info == nullptr) return FALSE;
  AdoptImage(info, count);
  return TRUE;
}

void MControlFont::SetControlTitle(const wchar_t* title) { title_ = CString(title); }

CString MControlFont::GetControlTitle() { return title_; }

void MControlFont::SetTitle(const wchar_t* title) {
  ClearGDIFont();
  SetControlTitle(title);
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void MControlFont::SetAlignment(UINT horizontal) {
  if (horizontal == hAlign_) return;
  hAlign_ = horizontal;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void MControlFont::SetVAlignment(UINT vertical) {
  if (vertical == vAlign_) return;
  vAlign_ = vertical;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void MControlFont::SetAlignment(UINT horizontal, UINT vertical) {
  if (horizontal == hAlign_ && vertical == vAlign_) return;
  hAlign_ = horizontal;
  vAlign_ = vertical;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void MControlFont::SetFont(const wchar_t* name, int size, Gdiplus::FontStyle style) {
  fontName_ = CString(name);
  fontSize_ = size;
  fontStyle_ = style;
}

Gdiplus::FontFamily* MControlFont::GetFontFamily(const wchar_t*) {
  if (manager_ == nullptr) return nullptr;
  // Every control draws in the process-wide font, whatever its own face name.
  const CString processFont = Manager::GetFontName();
  Gdiplus::FontFamily* shared = manager_->FindTempFont(processFont);
  if (shared == nullptr) return nullptr;
  delete fontFamily_;
  fontFamily_ = shared->Clone();
  return fontFamily_;
}

HFONT MControlFont::GetGDIFont() {
  if (gdiFont_ != nullptr) return gdiFont_;
  LOGFONTW font{};
  platform::GetObjectW(platform::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  const CString face = Manager::GetFontName();
  std::wcsncpy(font.lfFaceName, face.GetString(), LF_FACESIZE - 1);
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  font.lfHeight = -fontSize_;
  font.lfCharSet = DEFAULT_CHARSET;
  if (fontStyle_ & Gdiplus::FontStyleBold) font.lfWeight += FW_BOLD;
  if (fontStyle_ & Gdiplus::FontStyleItalic) font.lfItalic = TRUE;
  if (fontStyle_ & Gdiplus::FontStyleUnderline) font.lfUnderline = TRUE;
  gdiFont_ = platform::CreateFontIndirectW(&font);
  return gdiFont_;
}

void MControlFont::ClearGDIFont() {
  if (gdiFont_ != nullptr) platform::DeleteObject(gdiFont_);
  gdiFont_ = nullptr;
}

}  // namespace Zelvo
