// The monitor server's life: open the hardware data map, refresh it every second, end on a
// stop signal.
#pragma once

#include "server/sensor_plan.h"

namespace thermwatch {

// Runs until SIGTERM arrives (or SIGINT or SIGHUP, unless those were inherited as ignored),
// then returns the exit code 0. Call it first thing in main: the stop signals are blocked here
// and waited for, and threads started later (the NVIDIA library's) inherit that.
//
// The block named by hardware_map::Name() is opened writable (created zero-filled when absent);
// while that fails (say, an existing block is too short) it is tried again every second and the
// failure is reported once. The sysfs tree is the one under THERMWATCH_SYSFS (default /sys).
// The block is left in place at the end: the program may still hold its view.
int RunThermwatch(SensorScan scan);

}  // namespace thermwatch
