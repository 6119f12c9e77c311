#include "platform/system/os_version.h"

#include <sys/utsname.h>

#include <cstdio>

namespace platform {

bool GetKernelVersion(int* major, int* minor, int* patch) {
  utsname names {};
  if (uname(&names) != 0) return false;
  int a = 0, b = 0, c = 0;
  const int fields = std::sscanf(names.release, "%d.%d.%d", &a, &b, &c);
  if (fields < 1) return false;
  if (major) *major = a;
  if (minor) *minor = fields >= 2 ? b : 0;
  if (patch) *patch = fields >= 3 ? c : 0;
  return true;
}

}  // namespace platform
