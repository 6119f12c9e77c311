// Finds the CPU and GPU temperature sensors among the kernel's thermal zones (the fallback build).
#pragma once

#include <string>

#include "server/sensor_plan.h"

namespace thermwatch {

// Scans <sysfsRoot>/class/thermal/thermal_zone*/ (attributes `type` and `temp`).
//
// CPU candidates, best first: x86_pkg_temp; types containing "cpu" (cpu-thermal, cpu_thermal,
// cpu0-thermal, TCPU...); types beginning with "soc" (soc_thermal, soc_dts0) and B0D4; acpitz.
// Ties go to the lower zone number.
//
// GPUs: zones whose type contains "gpu" (gpu-thermal, gpu0_thermal...), in zone order, named by
// their type; when two zones share a type, the zone folder's name goes in front to tell them
// apart ("thermal_zone3 gpu-thermal").
SensorPlan ScanThermalZones(const std::string& sysfsRoot);

}  // namespace thermwatch
