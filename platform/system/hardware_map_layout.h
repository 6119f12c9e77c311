// The hardware data map: the 772-byte block the monitor server writes and the program reads.
// Its name, size and offsets are an interface between two processes and never change.
#pragma once

#include <cstddef>
#include <cstdlib>

namespace hardware_map {

constexpr const char* kName = "brenvik_hardware_mapfile";
constexpr std::size_t kSize = 772;

constexpr std::size_t kCpuTemperature = 152;  // float, degrees Celsius
constexpr std::size_t kCpuDelivering = 156;  // float, > 0 once the server delivers data
constexpr std::size_t kGpu1Name = 160;  // zero-terminated 8-bit text, empty: no GPU
constexpr std::size_t kGpu1Temperature = 296;  // float, degrees Celsius
constexpr std::size_t kGpu2Name = 308;
constexpr std::size_t kGpu2Temperature = 444;
constexpr std::size_t kGpuNameSize = 136;

// The block's name: the fixed one, unless VQ_HARDWARE_MAP_NAME names another, which lets tests
// that run in parallel each use a block of their own. Both the program and the server use this.
inline const char* Name() {
  const char* overridden = std::getenv("VQ_HARDWARE_MAP_NAME");
  return overridden && *overridden ? overridden : kName;
}

}  // namespace hardware_map
