// Writes readings into the hardware data map (the fields the program reads).
#pragma once

#include <string>

#include "server/sensor_monitor.h"

namespace thermwatch {

// Offset 156 holds the CPU temperature in kelvin while a CPU reading is delivered: a further
// reading of the same sensor that is greater than 0 for every valid temperature, 0 °C and below
// included, and 0 when no CPU sensor delivers. So "greater than 0" means exactly "the server has
// a current CPU temperature".
constexpr float kKelvinOffset = 273.15f;

class HardwareMapWriter {
 public:
  // `block` is a writable view of the whole map.
  explicit HardwareMapWriter(void* block);

  // Publishes one refresh. A field is written while there is a reading for it and cleared once
  // (zero value, empty name) when the reading goes away; a field this writer has cleared is left
  // alone afterwards, so a second server that does deliver it is not overwritten with zeros.
  // The first call writes every field, so nothing stale from an earlier run survives.
  void Publish(const SensorReadings& readings);

 private:
  void StoreFloat(std::size_t offset, float value);
  void StoreName(std::size_t offset, const std::string& name);

  unsigned char* block_;
  bool cpuOwned_ = true;
  bool gpuOwned_[kMaxGpus] = {true, true};
};

}  // namespace thermwatch
