#include "server/hardware_map_writer.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/system/hardware_map_layout.h"

namespace thermwatch {

namespace {

constexpr std::size_t kGpuNameOffsets[kMaxGpus] = {hardware_map::kGpu1Name,
                                                   hardware_map::kGpu2Name};
constexpr std::size_t kGpuTemperatureOffsets[kMaxGpus] = {hardware_map::kGpu1Temperature,
                                                          hardware_map::kGpu2Temperature};

std::uint32_t LittleEndian(std::uint32_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    return value;
  } else {
    return __builtin_bswap32(value);
  }
}

}  // namespace

HardwareMapWriter::HardwareMapWriter(void* block) : block_(static_cast<unsigned char*>(block)) {
  assert(block_ && "the writer needs a view of the map");
}

void HardwareMapWriter::StoreFloat(std::size_t offset, float value) {
  assert(offset % alignof(std::uint32_t) == 0 && "map floats are 4-byte aligned");
  if (!std::isfinite(value)) value = 0.0f;
  // One aligned 32-bit store: the reader in the other process never sees half of a value.
  auto* word = reinterpret_cast<std::uint32_t*>(block_ + offset);
  std::atomic_ref<std::uint32_t>(*word).store(LittleEndian(std::bit_cast<std::uint32_t>(value)),
                                              std::memory_order_relaxed);
}

void HardwareMapWriter::StoreName(std::size_t offset, const std::string& name) {
  unsigned char field[hardware_map::kGpuNameSize] = {};
  std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));  // always terminated
  unsigned char* target = block_ + offset;
  if (std::memcmp(target, field, sizeof field) == 0) return;
  // The reader decides by the first byte whether there is a GPU: a name being removed loses
  // its first byte before the rest, a name being written gets it after the rest is in place.
  std::atomic_ref<unsigned char> first(target[0]);
  if (field[0] == 0) first.store(0, std::memory_order_release);
  std::memcpy(target + 1, field + 1, sizeof field - 1);
  first.store(field[0], std::memory_order_release);
}

void HardwareMapWriter::Publish(const SensorReadings& readings) {
  if (readings.cpuCelsius) {
    StoreFloat(hardware_map::kCpuTemperature, *readings.cpuCelsius);
    StoreFloat(hardware_map::kCpuDelivering, *readings.cpuCelsius + kKelvinOffset);
    cpuOwned_ = true;
  } else if (cpuOwned_) {
    StoreFloat(hardware_map::kCpuTemperature, 0.0f);
    StoreFloat(hardware_map::kCpuDelivering, 0.0f);
    cpuOwned_ = false;
  }

  for (std::size_t slot = 0; slot < kMaxGpus; ++slot) {
    if (slot < readings.gpus.size()) {
      // An empty name would read as "no GPU" while its temperature is there.
      const std::string& name = readings.gpus[slot].name;
      StoreName(kGpuNameOffsets[slot], name.empty() ? "GPU " + std::to_string(slot + 1) : name);
      StoreFloat(kGpuTemperatureOffsets[slot], readings.gpus[slot].celsius);
      gpuOwned_[slot] = true;
    } else if (gpuOwned_[slot]) {
      StoreName(kGpuNameOffsets[slot], std::string());
      StoreFloat(kGpuTemperatureOffsets[slot], 0.0f);
      gpuOwned_[slot] = false;
    }
  }
}

}  // namespace thermwatch
