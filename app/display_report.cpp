#include "app/display_report.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/system/hardware_map_layout.h"

namespace app {

int32_t ReadingToInteger(double reading) {
  if (!std::isfinite(reading)) return 0;
  const double truncated = std::trunc(reading);
  if (truncated >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (truncated <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(truncated);
}

int32_t ToDisplayUnit(int32_t celsius, int32_t tempeType) {
  if (tempeType != 1 || celsius == 0) return celsius;
  return ReadingToInteger(static_cast<double>(celsius) * 1.8 + 32.0);
}

float ReadMapFloat(const unsigned char* map, std::size_t offset) {
  float value = 0.0f;
  std::memcpy(&value, map + offset, sizeof value);
  return value;
}

void BuildDisplayReport(const unsigned char* map, const FeedSettings& settings, unsigned char report[kDisplayReportSize]) {
  int32_t cpu = 0;
  int32_t gpu = 0;
  if (map) {
    cpu = ReadingToInteger(ReadMapFloat(map, hardware_map::kCpuTemperature));
    // The first GPU unless only the second one has a name.
    std::size_t gpuOffset = hardware_map::kGpu1Temperature;
    if (map[hardware_map::kGpu1Name] == 0 && map[hardware_map::kGpu2Name] != 0) gpuOffset = hardware_map::kGpu2Temperature;
    gpu = ReadingToInteger(ReadMapFloat(map, gpuOffset));
  }
  cpu = ToDisplayUnit(cpu, settings.tempeType);
  gpu = ToDisplayUnit(gpu, settings.tempeType);
  if (cpu > kCpuDisplayLimit) cpu = kCpuDisplayLimit;
  int32_t value = settings.deviceType != 0 ? gpu : cpu;
  if (value < 0) value = 0;

  std::memset(report, 0, kDisplayReportSize);
  report[0] = kDisplayReportId;
  report[1] = 0xFF;
  report[2] = 0xFF;
  if (settings.ledSwitch == 1) {
    report[3] = static_cast<unsigned char>((value / 100) % 10);
    report[4] = static_cast<unsigned char>((value / 10) % 10);
    report[5] = static_cast<unsigned char>(value % 10);
  }
}

}  // namespace app
