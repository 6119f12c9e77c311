// Test doubles for the control tree: an owner that records what reaches it, and a control whose
// hooks record their calls and answer as configured.
#pragma once

#include <string>
#include <vector>

#include "toolkit/core/mcontrol.h"

namespace toolkit_test {

struct Notification {
  UINT id;
  UINT code;
  UINT wParam;
  LONG lParam;
};

struct RepaintRequest {
  CRect rect;
  BOOL refresh;
  Zelvo::MControl* control;
};

class RecordingOwner : public Zelvo::MObject {
 public:
  LONG OnBaseMessage(UINT id, UINT code, UINT wParam, LONG lParam) override {
    notifications.push_back({id, code, wParam, lParam});
    return 0;
  }
  LONG OnControlUpdate(CRect rect, BOOL refresh, Zelvo::MControl* control) override {
    repaints.push_back({rect, refresh, control});
    return 0;
  }
  std::vector<Notification> notifications;
  std::vector<RepaintRequest> repaints;
};

// Every hook appends "<name>:<hook>@x,y" to a shared log.
class Probe : public Zelvo::MControl {
 public:
  Probe(Zelvo::MObject* owner, UINT id, CRect rect, std::vector<std::string>* log, const char* name)
      : MControl(owner, id, rect, TRUE, TRUE, TRUE), log_(log), name_(name) {}

  // Adopts a child the way a factory does: it joins this control's control list.
  Probe* AddChild(UINT id, CRect rect, const char* name) {
    auto* child = new Probe(this, id, rect, log_, name);
    AppendControl(child);
    return child;
  }
  Probe* AddArea(UINT id, CRect rect, const char* name) {
    auto* child = new Probe(this, id, rect, log_, name);
    AppendArea(child);
    return child;
  }
  void SetFocusedFlag(BOOL value) { focused_ = value; }
  void SetDblClkAware(BOOL value) { dblClkAware_ = value; }
  void SetPointShift(int dy) { pointShift_ = dy; }

  BOOL answer = FALSE;  // what the button, move, key and timer hooks return
  BOOL scrollAnswer = FALSE;
  BOOL acceptsMouse = TRUE;  // OnCheckMouseResponse
  int drawCount = 0;
  int focusTrue = 0;
  int focusFalse = 0;

  void DrawControl(HDC&, CRect) override {
    ++drawCount;
    Log("draw", CPoint());
  }
  BOOL OnMousePointChange(CPoint& point) override {
    if (pointShift_ == 0) return 0;
    point.y += pointShift_;
    return 1;
  }
  BOOL OnCheckMouseResponse(UINT, CPoint) override { return acceptsMouse; }
  BOOL SetControlFocus(BOOL focus) override {
    (focus ? focusTrue : focusFalse)++;
    return MControl::SetControlFocus(focus);
  }
  BOOL OnControlMouseMove(UINT, CPoint p) override { return Log("move", p); }
  BOOL OnControlLButtonDown(UINT, CPoint p) override { return Log("ldown", p); }
  BOOL OnControlLButtonUp(UINT, CPoint p) override { return Log("lup", p); }
  BOOL OnControlLButtonDblClk(UINT, CPoint p) override { return Log("ldbl", p); }
  BOOL OnControlRButtonDown(UINT, CPoint p) override { return Log("rdown", p); }
  BOOL OnControlRButtonUp(UINT, CPoint p) override { return Log("rup", p); }
  BOOL OnControlRButtonDblClk(UINT, CPoint p) override { return Log("rdbl", p); }
  BOOL OnControlScroll(int, UINT direction, CPoint p) override {
    Log(direction == 1 ? "scroll1" : "scroll0", p);
    return scrollAnswer;
  }
  BOOL OnControlKeyDown(UINT key, UINT, UINT) override { return Log("key", CPoint(static_cast<int>(key), 0)); }
  BOOL OnControlTimer() override { return Log("timer", CPoint()); }

 private:
  BOOL Log(const char* hook, CPoint p) {
    if (log_ != nullptr) {
      log_->push_back(name_ + ":" + hook + "@" + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    return answer;
  }
  std::vector<std::string>* log_;
  std::string name_;
  int pointShift_ = 0;
};

}  // namespace toolkit_test
