#include "toolkit/core/toolkit_state.h"

namespace Zelvo {

ToolkitGlobals& ToolkitState() {
  static ToolkitGlobals* state = new ToolkitGlobals();  // never destroyed: windows may outlive exit
  return *state;
}

}  // namespace Zelvo
