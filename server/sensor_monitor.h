// Turns a sensor scan into current readings, once per refresh.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "server/nvml_gpus.h"
#include "server/sensor_plan.h"

namespace thermwatch {

// At most this many GPUs are published.
constexpr std::size_t kMaxGpus = 2;
// The sensors are listed again this often (in refreshes), so hot-added devices appear, and at
// the next refresh whenever a sensor file has vanished.
constexpr int kRefreshesBetweenScans = 5;
// A sensor that fails to read keeps its last value for this many refreshes, so one bad read
// does not blank the display; after that it counts as absent.
constexpr int kRefreshesHeld = 3;

struct GpuReading {
  std::string name;
  float celsius = 0.0f;
};

struct SensorReadings {
  std::optional<float> cpuCelsius;  // none: no CPU sensor delivers
  std::vector<GpuReading> gpus;     // at most kMaxGpus, in stable order
};

class SensorMonitor {
 public:
  // `nvml` may be null (no NVIDIA GPUs are looked for).
  SensorMonitor(SensorScan scan, std::string sysfsRoot, NvmlGpus* nvml);

  // One refresh: lists the sensors again when due, then reads them. GPUs come in this order:
  // NVIDIA GPUs by the driver's index (they are discrete cards), then those of the scan; the
  // first kMaxGpus with a value are taken.
  SensorReadings Refresh();

 private:
  void Scan();
  std::optional<float> Hold(const std::string& key, const TemperatureRead& read);
  TemperatureRead ReadFirstValid(const std::vector<std::string>& files);

  SensorScan scan_;
  std::string sysfsRoot_;
  NvmlGpus* nvml_;
  SensorPlan plan_;
  long long refresh_ = 0;  // number of the current refresh
  long long lastScan_ = 0;
  bool scanDue_ = true;
  struct Held {
    float celsius;
    long long refresh;  // when it was read
  };
  std::map<std::string, Held> held_;  // last valid value per sensor key
};

}  // namespace thermwatch
