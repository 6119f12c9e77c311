// The operating system's version numbers (the kernel's release on Linux).
#pragma once

namespace platform {

// Major, minor and patch number of the running kernel's release ("6.1.0-18-amd64" gives 6, 1,
// 0). False when uname fails or its release does not begin with a number.
bool GetKernelVersion(int* major, int* minor, int* patch);

}  // namespace platform
