#include "toolkit/core/toolkit_module.h"

#include "platform/system/resources.h"

namespace Zelvo {

HINSTANCE ToolkitModule() {
  // Any address inside this library names its module.
  return platform::ModuleFromAddress(reinterpret_cast<const void*>(&ToolkitModule));
}

}  // namespace Zelvo
