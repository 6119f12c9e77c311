// The cursor a control shows while the pointer is over it.
#include <cwchar>

#include "platform/core/window_api.h"
#include "toolkit/core/mcontrol.h"

namespace Zelvo {

LONG MControl::SetCursorEx(const wchar_t* name) {
  if (name == nullptr) return 0;
  struct NamedCursor {
    const wchar_t* name;
    LPCWSTR id;
  };
  const NamedCursor cursors[] = {
      {L"arrow", IDC_ARROW}, {L"wait", IDC_WAIT}, {L"cross", IDC_CROSS}, {L"sizewe", IDC_SIZEWE},
      {L"sizens", IDC_SIZENS}, {L"hand", IDC_HAND}, {L"help", IDC_HELP},
  };
  for (const NamedCursor& cursor : cursors) {
    if (std::wcscmp(cursor.name, name) == 0) {
      cursor_ = LoadCursorW(nullptr, cursor.id);
      break;
    }
  }
  return 0;
}

BOOL MControl::OnControlSetCursor(UINT, CPoint point) {
  if (cursor_ == nullptr || !rect_.PtInRect(point)) return FALSE;
  ::SetCursor(cursor_);
  return TRUE;
}

}  // namespace Zelvo
