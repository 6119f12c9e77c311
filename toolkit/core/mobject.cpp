#include "toolkit/core/mobject.h"

#include <cwchar>

namespace Zelvo {

BOOL MObject::IsClass(const wchar_t* name) {
  const wchar_t* own = GetClassNameW();
  if (own == nullptr || name == nullptr) return FALSE;
  return std::wcscmp(own, name) == 0 ? TRUE : FALSE;
}

LONG MObject::OnBaseMessage(UINT, UINT, UINT, LONG) { return 0; }

LONG MObject::OnControlUpdate(CRect, BOOL, MControl*) { return 0; }

}  // namespace Zelvo
