// MPanel: the container base. Holds child controls and areas made by its own factory, owns a
// vertical (id 1) and a horizontal (id 2) scroll bar, maps mouse points into scrolled content
// coordinates and bubbles its children's notifications to its own owner.
#pragma once

#include "toolkit/core/mcontrol_font.h"

namespace Zelvo {

class MScroll;

class MPanel : public MControlFont {
 public:
  MPanel(MObject* owner, UINT id, CRect rect, BOOL visible);

  LONG OnBaseMessage(UINT controlId, UINT code, UINT wParam, LONG lParam) override;
  LONG OnControlUpdate(CRect rect, BOOL refresh, MControl* control) override;
  void InitControl(PaintManager* manager) override;
  void DrawControl(HDC& dc, CRect paintRect) override;
  BOOL DrawSubControls(HDC& dc, CRect paintRect) override { return MControl::DrawSubControls(dc, paintRect); }
  void SetUpdate(BOOL cacheValid, COLORREF background) override { MControl::SetUpdate(cacheValid, background); }
  BOOL SetControlFocus(BOOL focus) override { return MControl::SetControlFocus(focus); }
  BOOL OnMousePointChange(CPoint& point) override;
  BOOL OnCheckMouseResponse(UINT flags, CPoint point) override { return TRUE; }
  LRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LONG OnMessage(UINT controlId, UINT code, UINT wParam, LONG lParam) override;
  void SetControlRect(CRect rect) override { rect_ = rect; }
  void SetControlVisible(BOOL visible) override;
  void SetControlWndVisible(BOOL visible) override {}
  void SetControlEnabled(BOOL enabled) override;
  BOOL OnControlTimer() override { return 0; }
  BOOL OnControlMouseMove(UINT, CPoint) override { return 0; }
  BOOL OnControlLButtonDown(UINT, CPoint) override { return 0; }
  BOOL OnControlLButtonUp(UINT, CPoint) override { return 0; }
  BOOL OnControlLButtonDblClk(UINT, CPoint) override { return 0; }
  BOOL OnControlRButtonDown(UINT, CPoint) override { return 0; }
  BOOL OnControlRButtonUp(UINT, CPoint) override { return 0; }
  BOOL OnControlRButtonDblClk(UINT, CPoint) override { return 0; }
  BOOL OnControlKeyDown(UINT, UINT, UINT) override { return 0; }
  BOOL OnControlScroll(int type, UINT direction, CPoint point) override;

  // --- the container factory (mode 0 area, mode 1 control); null for an unknown class name ---
  virtual MControl* CreateArea(const wchar_t* className, UINT id, CRect rect, const wchar_t* title, int p1,
                               int p2);
  virtual MControl* CreateControl(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                                  const wchar_t* title, int p1, int p2);
  virtual MControl* CreateControl(const wchar_t* className, UINT id, CRect rect, const wchar_t* title, int p1,
                                  int p2);
  virtual BOOL OnControlKeyUp(UINT, UINT, UINT) { return 0; }

  MControl* GetControl(UINT id) { return MControl::GetControl(id); }
  void SetVirtualHeight(int height) { virtualHeight_ = height; }
  void SetVirtualWidth(int width) { virtualWidth_ = width; }
  int GetVirtualHeight() const { return virtualHeight_; }
  int GetVirtualWidth() const { return virtualWidth_; }
  void SetEnableScroll(BOOL enable) { scrollEnabled_ = enable; }
  BOOL GetEnableScroll() const { return scrollEnabled_; }
  MScroll* GetScrollVertical() const { return vertical_; }
  MScroll* GetScrollHorizontal() const { return horizontal_; }
  BOOL IsInitialised() const { return initialised_; }

 protected:
  void ForgetChild(MControl* child) override;

  BOOL initialised_ = FALSE;
  int virtualHeight_ = 0;
  int virtualWidth_ = 0;
  MScroll* vertical_ = nullptr;  // child control id 1, owned by the control list; null once removed
  MScroll* horizontal_ = nullptr;  // child control id 2, owned by the control list; null once removed
  int scrollThickness_ = 5;
  BOOL scrollEnabled_ = TRUE;
};

}  // namespace Zelvo
