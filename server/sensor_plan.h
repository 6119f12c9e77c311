// What a sensor scan found: where to read the CPU temperature and which GPUs there are.
#pragma once

#include <string>
#include <vector>

namespace thermwatch {

// One GPU found in sysfs; its temperature is the first file of `files` that reads a valid value.
struct SysfsGpu {
  std::string key;   // stable identity while the device exists (its hwmon or zone folder)
  std::string name;  // non-empty, printable, short enough for the hardware data map
  std::vector<std::string> files;  // millidegree files, preferred first
};

struct SensorPlan {
  // Candidate CPU temperature files, best first; each cycle the first valid one is taken.
  std::vector<std::string> cpuFiles;
  // GPUs in their stable order.
  std::vector<SysfsGpu> gpus;
};

// A scan of one kind of sysfs tree, given the folder that stands for /sys.
using SensorScan = SensorPlan (*)(const std::string& sysfsRoot);

}  // namespace thermwatch
