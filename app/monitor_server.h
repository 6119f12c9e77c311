// Starting the monitor server, and ending leftover copies of it by name.
#pragma once

#include <cstdint>

#include "platform/base/cstring.h"

namespace app {

// The server's executable name, as the sweep compares it.
constexpr const char* kServerExecutableName = "Thermwatch";
// Attempts from this one on use the fallback build.
constexpr int32_t kCurrentBuildAttempts = 8;

// Whether the current server build fits this system. Any Linux kernel whose release can be read
// counts (the current build reads hwmon, which every supported kernel has); when uname fails the
// fallback build is chosen, after a line on standard error.
bool IsWindows10OrLater();

// The server to start for `attempt`: "<program folder>Senvara/Thermwatch" for the first eight
// attempts on a current system, "<program folder>SenvaraWin7/Thermwatch" otherwise.
CString MonitorServerPath(int32_t attempt, bool currentSystem, const CString& programFolder);

// Starts the server for `attempt` without waiting for it; a failure is not reported.
void LaunchMonitorServer(int32_t attempt);

// Ends the first running process of this user named `name` (without regard to case); false only
// when the process list cannot be read.
bool SweepServerProcesses(const char* name);

}  // namespace app
