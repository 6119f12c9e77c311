// The display report: the 65-byte feature report that puts three digits on the cooler.
#pragma once

#include <cstddef>
#include <cstdint>

namespace app {

constexpr std::size_t kDisplayReportSize = 65;
constexpr unsigned char kDisplayReportId = 0x07;
// The highest value the display shows for the CPU.
constexpr int32_t kCpuDisplayLimit = 199;

// The three settings the feed reads, as the main window holds them.
struct FeedSettings {
  int32_t ledSwitch = 1;   // 1 lit, anything else dark
  int32_t deviceType = 0;  // 0 CPU, anything else GPU
  int32_t tempeType = 0;   // 1 Fahrenheit, anything else Celsius
};

// A sensor reading truncated toward zero to an integer. Readings that are not numbers or are
// infinite count as 0; finite readings beyond the 32-bit range are held at its ends. (Converting
// such floats directly is undefined.)
int32_t ReadingToInteger(double reading);

// The value in the chosen unit: Fahrenheit (tempeType 1) is the integer part of v * 1.8 + 32,
// except that 0 stays 0; Celsius otherwise.
int32_t ToDisplayUnit(int32_t celsius, int32_t tempeType);

// Builds the report from the hardware data map (`map`: its 772 bytes, or null when there is no
// view yet, which reads as a map the server has not written) and the settings.
// A negative value shows as 0 0 0: the display has no minus sign, and the digit bytes are always
// 0 to 9.
void BuildDisplayReport(const unsigned char* map, const FeedSettings& settings, unsigned char report[kDisplayReportSize]);

// The float at `offset` of the map, read bytewise (the map is written by another process at any
// moment and is not aligned for us).
float ReadMapFloat(const unsigned char* map, std::size_t offset);

}  // namespace app
