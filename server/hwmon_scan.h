// Finds the CPU and GPU temperature sensors among the kernel's hwmon devices.
#pragma once

#include <string>

#include "server/sensor_plan.h"

namespace thermwatch {

// Scans <sysfsRoot>/class/hwmon/hwmon*/ (attributes `name`, `tempN_input`, `tempN_label`, and
// the `device` link when there is one).
//
// CPU candidates, best first:
//   1. coretemp ("Package id 0", then "Physical id 0", then another package, then the cores),
//      k10temp and zenpower ("Tdie", then "Tctl", then the others);
//   2. k8temp, via_cputemp, x86_pkg_temp and SoC sensors named cpu* or soc* (cpu_thermal,
//      cpu-thermal, soc_thermal...);
//   3. acpitz;
// ties are broken by label rank, then hwmon number, then temperature number.
//
// GPUs: amdgpu (label "edge" first, then the lowest temperature number), radeon, nouveau and
// SoC GPU sensors named *gpu* such as gpu_thermal (lowest temperature number); ordered by the
// name their `device` link points to (the PCI address), those without a link last, then by
// hwmon number. A GPU is named by its `device/product_name` when the driver offers one, else
// "<driver> <PCI address>", else "<driver> hwmonN".
SensorPlan ScanHwmon(const std::string& sysfsRoot);

}  // namespace thermwatch
