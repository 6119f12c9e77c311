// MObject: the owner interface of every control (dialogs, containers, menus, pop-ups).
// A control talks to its owner only through these two upward calls.
#pragma once

#include "platform/base/geometry.h"
#include "platform/base/win_types.h"

namespace Zelvo {

class MControl;

class MObject {
 public:
  virtual ~MObject() = default;

  // TRUE when GetClassNameW reports exactly `name` (case-sensitive); FALSE without a class name.
  virtual BOOL IsClass(const wchar_t* name);
  virtual const wchar_t* GetClassNameW() const { return nullptr; }
  virtual const wchar_t* GetObjectClass() { return nullptr; }
  virtual const wchar_t* BaseObjectClassName() { return nullptr; }

  // A notification from a child control (code 1 pressed, 2 clicked, ...).
  virtual LONG OnBaseMessage(UINT controlId, UINT code, UINT wParam, LONG lParam);
  // A repaint request; `refresh` means the control's cached look is stale.
  virtual LONG OnControlUpdate(CRect rect, BOOL refresh, MControl* control);
};

}  // namespace Zelvo
