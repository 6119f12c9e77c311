#include "server/sensor_monitor.h"

#include <set>
#include <utility>

namespace thermwatch {

namespace {

const std::string kCpuKey = "cpu";

}  // namespace

SensorMonitor::SensorMonitor(SensorScan scan, std::string sysfsRoot, NvmlGpus* nvml)
    : scan_(scan), sysfsRoot_(std::move(sysfsRoot)), nvml_(nvml) {}

void SensorMonitor::Scan() {
  plan_ = scan_(sysfsRoot_);
  if (nvml_) nvml_->Rescan();
  lastScan_ = refresh_;
  scanDue_ = false;

  // A sensor that is gone is forgotten at once: its last value must not linger.
  std::set<std::string> present;
  if (!plan_.cpuFiles.empty()) present.insert(kCpuKey);
  for (const SysfsGpu& gpu : plan_.gpus) present.insert(gpu.key);
  if (nvml_) {
    for (const NvmlGpus::Gpu& gpu : nvml_->gpus()) present.insert(gpu.key);
  }
  std::erase_if(held_, [&present](const auto& entry) { return !present.count(entry.first); });
}

std::optional<float> SensorMonitor::Hold(const std::string& key, const TemperatureRead& read) {
  if (read.status == TemperatureRead::kGone) scanDue_ = true;
  if (read.status == TemperatureRead::kValid) {
    held_[key] = {read.celsius, refresh_};
    return read.celsius;
  }
  const auto it = held_.find(key);
  if (it == held_.end()) return std::nullopt;
  if (refresh_ - it->second.refresh > kRefreshesHeld) {
    held_.erase(it);
    return std::nullopt;
  }
  return it->second.celsius;
}

TemperatureRead SensorMonitor::ReadFirstValid(const std::vector<std::string>& files) {
  TemperatureRead result;
  for (const std::string& file : files) {
    const TemperatureRead read = ReadMilliCelsius(file);
    if (read.status == TemperatureRead::kValid) return read;
    if (read.status == TemperatureRead::kGone) result.status = TemperatureRead::kGone;
  }
  return result;
}

SensorReadings SensorMonitor::Refresh() {
  ++refresh_;
  if (scanDue_ || refresh_ - lastScan_ >= kRefreshesBetweenScans) Scan();

  SensorReadings readings;
  if (!plan_.cpuFiles.empty()) readings.cpuCelsius = Hold(kCpuKey, ReadFirstValid(plan_.cpuFiles));

  if (nvml_) {
    for (const NvmlGpus::Gpu& gpu : nvml_->gpus()) {
      if (readings.gpus.size() == kMaxGpus) break;
      if (const auto celsius = Hold(gpu.key, nvml_->Read(gpu)))
        readings.gpus.push_back({gpu.name, *celsius});
    }
  }
  for (const SysfsGpu& gpu : plan_.gpus) {
    if (readings.gpus.size() == kMaxGpus) break;
    if (const auto celsius = Hold(gpu.key, ReadFirstValid(gpu.files)))
      readings.gpus.push_back({gpu.name, *celsius});
  }
  return readings;
}

}  // namespace thermwatch
