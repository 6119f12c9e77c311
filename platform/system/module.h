// The running program's file and folder.
#pragma once

#include "platform/base/cstring.h"

namespace platform {

// Full path of the running executable (from /proc/self/exe).
CString GetModuleFileName();
// The executable's folder with a trailing "/"; "/" for a program in the root folder.
CString GetModuleFolder();

}  // namespace platform
