// MControl: the windowless control base. Rectangle, visibility, child lists, routing of mouse,
// keyboard, wheel and timer events into children, repaint requests and cached drawing surfaces.
#pragma once

#include <mutex>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"
#include "platform/base/win_types.h"
#include "toolkit/core/mobject.h"

namespace Zelvo {

class PaintManager;

// A position relative to a span: type 0 from an end, 1 from the middle, 2 a percentage.
struct FS_POSITION_ITEM {
  int type = 0;
  BOOL fromEnd = FALSE;
  float value = 0.0f;
};

// An off-screen drawing surface: a memory DC with a bitmap selected into it.
struct MemorySurface {
  int width = 0;
  int height = 0;
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;  // what the DC held before the bitmap was selected
};

class MControl : public MObject {
 public:
  MControl(MObject* owner, UINT id, CRect rect, BOOL visible, BOOL enabled, BOOL mouseResponse);
  ~MControl() override;
  // Copies would share child lists and drawing surfaces and free them twice.
  MControl(const MControl&) = delete;
  MControl& operator=(const MControl&) = delete;

  const wchar_t* GetClassNameW() const override { return L"MControl"; }

  // --- virtual hooks, in slot order ---
  virtual void InitControl(PaintManager* manager);
  virtual BOOL OnScroll(int type, UINT direction, CPoint point);
  virtual BOOL PtInRect(CPoint point);
  virtual void DrawControl(HDC& dc, CRect paintRect) = 0;
  virtual BOOL DrawSubControls(HDC& dc, CRect paintRect);
  virtual BOOL IsDraw(CPoint point);
  virtual void SetUpdate(BOOL cacheValid, COLORREF background);
  virtual BOOL SetControlFocus(BOOL focus);
  virtual void InitUI(CRect rect);
  virtual BOOL OnMousePointChange(CPoint& point);
  virtual BOOL OnCheckMouseResponse(UINT flags, CPoint point);
  virtual LRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LONG OnMessage(UINT controlId, UINT code, UINT wParam, LONG lParam);
  virtual void SetControlRect(CRect rect);
  virtual void SetControlVisible(BOOL visible);
  virtual void SetControlWndVisible(BOOL visible);
  virtual void SetControlEnabled(BOOL enabled);
  virtual BOOL OnControlTimer();
  virtual HBITMAP GetControlDropBitmap();
  virtual BOOL OnControlMouseMove(UINT flags, CPoint point);
  virtual BOOL OnControlSetCursor(UINT flags, CPoint point);
  virtual BOOL OnControlLButtonDown(UINT flags, CPoint point);
  virtual BOOL OnControlLButtonUp(UINT flags, CPoint point);
  virtual BOOL OnControlLButtonDblClk(UINT flags, CPoint point);
  virtual BOOL OnControlScroll(int type, UINT direction, CPoint point);
  virtual BOOL OnControlRButtonDown(UINT flags, CPoint point);
  virtual BOOL OnControlRButtonUp(UINT flags, CPoint point);
  virtual BOOL OnControlRButtonDblClk(UINT flags, CPoint point);
  virtual BOOL OnControlKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnPositionChange();
  // Asks the window to repaint this control's rectangle; the argument is not consulted.
  virtual void InvalidateRect(const RECT* rect, BOOL erase);

  // --- routing entry points (called by the paint manager and by containers) ---
  BOOL OnMouseMove(UINT flags, CPoint point);
  BOOL OnLButtonDown(UINT flags, CPoint point);
  BOOL OnLButtonUp(UINT flags, CPoint point);
  BOOL OnLButtonDblClk(UINT flags, CPoint point);
  BOOL OnRButtonDown(UINT flags, CPoint point);
  BOOL OnRButtonUp(UINT flags, CPoint point);
  BOOL OnRButtonDblClk(UINT flags, CPoint point);
  BOOL OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  BOOL OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  BOOL OnTimer();

  // --- accessors ---
  MObject* GetParantObject() const { return owner_; }
  void SetParent(MObject* owner) { owner_ = owner; }
  PaintManager* GetManager() const { return manager_; }
  // Stores the manager and hands it to InitControl.
  void SetManager(PaintManager* manager);
  UINT GetControlID() const { return id_; }
  CRect GetRect() const { return rect_; }
  BOOL IsVisible() const { return visible_; }
  BOOL IsEnabled() const { return enabled_; }
  BOOL IsDragDrop() const { return dragSource_; }
  void SetDragDrop(BOOL value) { dragSource_ = value; }
  BOOL GetRresponse() const { return mouseResponse_; }
  void SetRresponse(BOOL value) { mouseResponse_ = value; }
  BOOL IsTabStop() const { return tabStop_; }
  void SetTabStop(BOOL value) { tabStop_ = value; }
  BOOL GetDblClk() const { return dblClkAware_; }
  BOOL IsKeyDown() const { return keyDown_; }
  BOOL IsFocused() const { return focused_; }
  BOOL GetUpdate() const { return cacheValid_; }
  BOOL IsRunTimer() const { return runTimer_; }
  void SetRunTimer(BOOL value) { runTimer_ = value; }
  BOOL IsAnimationPending() const { return animationPending_; }
  BOOL IsPressedInside() const { return pressedInside_; }
  MControl* GetActiveChild() const { return activeChild_; }
  std::vector<MControl*>& GetControls() { return controls_; }
  std::vector<MControl*>& GetAreas() { return areas_; }
  CString GetTooltip() const { return tooltip_; }
  HCURSOR GetCursor() const { return cursor_; }

  // --- operations ---
  void SetRect(CRect rect);
  void SetRect(int x, int y, int width, int height);
  void SetVisible(BOOL visible);
  void SetVisible(BOOL visible, BOOL notify);
  void SetEnabled(BOOL enabled);
  BOOL IsParentVisible();
  void UpdateControl(BOOL refresh, BOOL force);
  void UpdateControl(CRect rect, BOOL force, BOOL refresh);
  void UpdateAControl(BOOL value, BOOL force);
  LONG SendMessageW(UINT code, UINT wParam, LONG lParam);
  MControl* GetControl(UINT id);
  BOOL RemoveControl(MControl* control);
  void RemoveAllControl();
  LONG SetCursorEx(const wchar_t* name);
  void SetTooltip(const wchar_t* text);
  void SetTooltip(CString text, CRect rect);
  void ClearTooltip();
  int SetTooltipCtrlID(int) { return 0; }
  int GetTooltipCtrlID() { return 0; }
  void AddMTimer();
  BOOL IsFocusControl();
  void OnFocus(BOOL focus) { SetControlFocus(focus); }
  MControl* GetFocusControl(MControl*) { return nullptr; }
  MControl* GetNextFocusableControl(MControl*) { return nullptr; }
  MControl* GetPrevFocusableControl(MControl*) { return nullptr; }
  HBITMAP GetDropBitmap() { return GetControlDropBitmap(); }
  void Draw(HDC& dc, CRect paintRect);
  void UpdateMemDC(HDC& dc, int width, int height);
  void UpdateAnimateDC(HDC& dc, int width, int height);
  static int PositionItem2Value(const FS_POSITION_ITEM& item, int start, int end);

  // The cached look and the animation surface (null DC until UpdateMemDC / UpdateAnimateDC).
  HDC GetMemDC() const { return cache_.dc; }
  HDC GetAnimateDC() const { return animation_.dc; }
  const MemorySurface& GetCacheSurface() const { return cache_; }

 protected:
  // Appends a child made by a factory; the vector then owns it.
  void AppendArea(MControl* area);
  void AppendControl(MControl* control);
  // Forgets `child` wherever this control remembers it (the active child; containers also
  // their scroll bars), before the child is destroyed.
  virtual void ForgetChild(MControl* child);
  static void ReleaseSurface(MemorySurface& surface);
  static void CreateSurface(HDC& compatible, MemorySurface& surface, int width, int height);

  MObject* owner_;
  PaintManager* manager_ = nullptr;
  UINT id_;
  CRect rect_;
  BOOL visible_;
  BOOL enabled_;
  BOOL dragSource_ = FALSE;
  BOOL mouseResponse_;
  BOOL tabStop_ = FALSE;
  BOOL dblClkAware_ = FALSE;
  BOOL pressedInside_ = FALSE;
  BOOL keyDown_ = FALSE;
  BOOL focused_ = FALSE;
  BOOL cacheValid_ = FALSE;
  BOOL animationPending_ = FALSE;
  BOOL runTimer_ = FALSE;
  BOOL running_ = FALSE;
  std::vector<MControl*> areas_;
  std::vector<MControl*> controls_;
  std::recursive_mutex areaLock_;
  std::recursive_mutex controlLock_;
  MControl* activeChild_ = nullptr;
  MemorySurface cache_;
  MemorySurface animation_;
  CString tooltip_;
  HCURSOR cursor_ = nullptr;

 private:
  // The point a child receives: scroll bars (ids 1 and 2) get it untranslated.
  static CPoint PointFor(const MControl* child, CPoint received, CPoint translated);
  BOOL RouteButtonDown(UINT flags, CPoint point, bool left);
  BOOL RouteButtonUp(UINT flags, CPoint point, bool left);
  BOOL RouteButtonDblClk(UINT flags, CPoint point, bool left);
  void MoveFocusHere();
};

}  // namespace Zelvo
