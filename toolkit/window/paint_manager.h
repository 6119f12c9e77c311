// PaintManager: the per-window engine. This file holds its control lists with the window-level
// factory, lookups and clear operations, hover and focus pointers, the animation list, repaint
// requests, the window's image cache and its font registry. Input routing, painting and the
// timers are grown here by the window layer.
#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"
#include "platform/base/win_types.h"

namespace Gdiplus {
class Image;
class FontFamily;
class FontCollection;
}  // namespace Gdiplus

namespace Zelvo {

class MControl;
class MObject;
class MWindow;

// One cached skin image, shared by every control of the window that names it.
struct ImgResInfo {
  Gdiplus::Image* image = nullptr;
  int frameWidth = 0;  // image width / count of the first load
  int height = 0;
  int count = 1;  // state slices side by side
  CString name;  // file name for skin-folder images; empty for resources
  UINT resourceId = 0;  // resource id for resource images; 0 for files
};

class PaintManager {
 public:
  PaintManager();
  virtual ~PaintManager();
  PaintManager(const PaintManager&) = delete;
  PaintManager& operator=(const PaintManager&) = delete;

  // --- window binding (the window layer calls Init with a live window) ---
  HWND GetPaintWnd() const { return window_; }
  void SetPaintWnd(HWND window) { window_ = window; }
  MWindow* GetMDialog() const { return windowObject_; }
  void SetMDialog(MWindow* owner) { windowObject_ = owner; }
  BOOL IsInitialised() const { return initialised_; }
  // Marks the manager bound to its window: later-drawn controls then follow repaint requests.
  void SetInitialised(BOOL value) { initialised_ = value; }
  void SetLayeredWindow(BOOL layered) { layered_ = layered; }
  BOOL IsLayered() const { return layered_; }
  void SetBackColor(COLORREF fill, COLORREF border) {
    fillColour_ = fill;
    borderColour_ = border;
  }
  COLORREF GetFillColor() const { return fillColour_; }
  void SetScrollResID(UINT vertical, UINT horizontal) {
    scrollVerticalId_ = vertical;
    scrollHorizontalId_ = horizontal;
  }
  UINT GetScrollVID() const { return scrollVerticalId_; }
  UINT GetScrollHID() const { return scrollHorizontalId_; }
  COLORREF GetDefaultEnabledColor() const { return defaultEnabledColour_; }
  void SetDefaultEnabledColor(COLORREF colour) { defaultEnabledColour_ = colour; }

  // --- factory (mode 0 area, mode 1 control); null for an unknown class name ---
  MControl* CreateControl(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                          const wchar_t* title, int p1, int p2);
  MControl* CreateArea(MObject* owner, const wchar_t* className, UINT id, CRect rect, const wchar_t* title,
                       int p1, int p2);
  MControl* CreateControl(MObject* owner, const wchar_t* className, UINT id, CRect rect, const wchar_t* title,
                          int p1, int p2);

  // --- lists ---
  MControl* GetControl(UINT id);
  std::vector<MControl*>& GetControls() { return controls_; }
  std::vector<MControl*>& GetAreas() { return areas_; }
  std::recursive_mutex& AreaLock() { return areaLock_; }
  std::recursive_mutex& ControlLock() { return controlLock_; }
  void RemoveControl(MControl* control);
  void ClearAreaControls();
  void ClearControls();
  void ClearAllControls();

  // --- hover, focus, tooltip owner ---
  void SetFocusControl(MControl* control);
  MControl* GetFocusControl() const { return focusControl_; }
  // Sets the focus pointer without calling SetControlFocus on anyone.
  void AssignFocusControl(MControl* control) { focusControl_ = control; }
  MControl* GetHoverControl() const { return hoverControl_; }
  void SetHoverControl(MControl* control) { hoverControl_ = control; }
  // Shows `text` as the window's tooltip over `rect` (kept here until the tooltip window exists).
  void SetTooltip(const CString& text, CRect rect);
  void ClearTooltip();
  void SetTooltipCtrlID(int id) { tooltipControlId_ = id; }
  int GetTooltipCtrlID() const { return tooltipControlId_; }
  CString GetTooltipText() const { return tooltipText_; }
  CRect GetTooltipRect() const { return tooltipRect_; }

  // --- animation list (ticked by the animation timer) ---
  BOOL AddMTimer(MControl* control);
  // Removes one registration of the control; FALSE when it has none.
  BOOL DeleteFSTimer(MControl* control);
  std::vector<MControl*> GetAnimationControls();

  // A destroyed control must not be reached through hover, focus or the animation list.
  void ForgetControl(MControl* control);

  // --- repaint requests ---
  LRESULT OnControlUpdate(CRect rect, BOOL refresh, MControl* control);
  void InvalidateRect(CRect rect, BOOL erase);
  void Invalidate();

  // --- image cache ---
  ImgResInfo* AddImgResInfo(const wchar_t* fileName, int count);
  ImgResInfo* AddImgResInfo(UINT resourceId, CString resourceType, int count, BOOL fromHost);
  void ClearImgResInfo();

  // --- font registry ---
  void AddGDITempFont(UINT resourceId);
  Gdiplus::FontFamily* AddTempFont(const wchar_t* name, const wchar_t* fontFile);
  Gdiplus::FontFamily* AddTempFont(const wchar_t* name, UINT resourceId);
  Gdiplus::FontFamily* FindTempFont(const wchar_t* name);
  void ClearTempFont();
  size_t GetMemoryFontCount();

 protected:
  // Stores `family` (from `collection`) under `name`, replacing an entry of that name; null and
  // nothing kept when there is no family.
  Gdiplus::FontFamily* RegisterPrivateFamily(const wchar_t* name, Gdiplus::FontCollection* collection,
                                             Gdiplus::FontFamily* family);
  MControl* Create(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect, const wchar_t* title,
                   int p1, int p2);

  MWindow* windowObject_ = nullptr;
  BOOL initialised_ = FALSE;
  HWND window_ = nullptr;
  COLORREF fillColour_ = 0x00C8C8C8;  // RGB(200, 200, 200)
  COLORREF borderColour_ = 0x00646464;  // RGB(100, 100, 100)
  BOOL layered_ = FALSE;
  UINT scrollVerticalId_ = 0;
  UINT scrollHorizontalId_ = 0;
  COLORREF defaultEnabledColour_ = 0x00808080;  // RGB(128, 128, 128)
  MControl* hoverControl_ = nullptr;
  MControl* focusControl_ = nullptr;
  int tooltipControlId_ = 0;
  CString tooltipText_;
  CRect tooltipRect_;

  std::vector<MControl*> areas_;
  std::vector<MControl*> controls_;
  std::vector<MControl*> animationControls_;
  std::recursive_mutex areaLock_;
  std::recursive_mutex controlLock_;
  std::recursive_mutex animationLock_;

  std::recursive_mutex imageLock_;
  std::map<CString, ImgResInfo*> fileImages_;
  std::map<UINT, ImgResInfo*> hostImages_;
  std::map<UINT, ImgResInfo*> libraryImages_;

  std::recursive_mutex fontLock_;
  std::map<CString, Gdiplus::FontFamily*> fontFamilies_;
  std::vector<HANDLE> memoryFonts_;
  // Private collections behind families registered with AddTempFont, kept while they are in use.
  std::vector<Gdiplus::FontCollection*> privateCollections_;
};

}  // namespace Zelvo
