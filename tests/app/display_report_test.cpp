#include "app/display_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/system/hardware_map_layout.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct MapContents {
  float cpu = 0;
  const char* gpu1Name = "";
  float gpu1 = 0;
  const char* gpu2Name = "";
  float gpu2 = 0;
};

std::vector<unsigned char> MakeMap(const MapContents& c) {
  std::vector<unsigned char> map(hardware_map::kSize, 0);
  std::memcpy(&map[hardware_map::kCpuTemperature], &c.cpu, 4);
  std::memcpy(&map[hardware_map::kGpu1Temperature], &c.gpu1, 4);
  std::memcpy(&map[hardware_map::kGpu2Temperature], &c.gpu2, 4);
  std::strncpy(reinterpret_cast<char*>(&map[hardware_map::kGpu1Name]), c.gpu1Name, hardware_map::kGpuNameSize - 1);
  std::strncpy(reinterpret_cast<char*>(&map[hardware_map::kGpu2Name]), c.gpu2Name, hardware_map::kGpuNameSize - 1);
  return map;
}

struct ReportCase {
  const char* what;
  MapContents map;
  app::FeedSettings settings;
  unsigned char digits[3];
};

class DisplayReportTable : public ::testing::TestWithParam<ReportCase> {};

TEST_P(DisplayReportTable, DigitsAndFixedBytes) {
  const ReportCase& c = GetParam();
  const std::vector<unsigned char> map = MakeMap(c.map);
  unsigned char report[app::kDisplayReportSize];
  std::memset(report, 0xCC, sizeof report);
  app::BuildDisplayReport(map.data(), c.settings, report);
  EXPECT_EQ(report[0], 0x07) << c.what;
  EXPECT_EQ(report[1], 0xFF) << c.what;
  EXPECT_EQ(report[2], 0xFF) << c.what;
  EXPECT_EQ(report[3], c.digits[0]) << c.what;
  EXPECT_EQ(report[4], c.digits[1]) << c.what;
  EXPECT_EQ(report[5], c.digits[2]) << c.what;
  for (size_t i = 6; i < app::kDisplayReportSize; ++i) ASSERT_EQ(report[i], 0) << c.what << " byte " << i;
}

// Settings: {ledSwitch, deviceType, tempeType}.
const ReportCase kReportCases[] = {
    {"CPU 45.9 C", {45.9f}, {1, 0, 0}, {0, 4, 5}},
    {"CPU 45.9 in Fahrenheit truncates first: 113", {45.9f}, {1, 0, 1}, {1, 1, 3}},
    {"CPU 120 in Fahrenheit bounded to 199", {120.0f}, {1, 0, 1}, {1, 9, 9}},
    {"CPU 0.0 in Fahrenheit stays 0", {0.0f}, {1, 0, 1}, {0, 0, 0}},
    {"CPU 250 C bounded to 199", {250.0f}, {1, 0, 0}, {1, 9, 9}},
    {"GPU 110 C in Fahrenheit is 230, not bounded", {0, "gpu", 110.0f}, {1, 1, 1}, {2, 3, 0}},
    {"GPU: first name empty, second named", {50, "", 70.0f, "second", 61.0f}, {1, 1, 0}, {0, 6, 1}},
    {"GPU: both names empty uses the first", {50, "", 72.5f, "", 61.0f}, {1, 1, 0}, {0, 7, 2}},
    {"GPU: both named uses the first", {50, "a", 72.5f, "b", 61.0f}, {1, 1, 0}, {0, 7, 2}},
    {"GPU above 999 loses its thousands", {0, "gpu", 1234.0f}, {1, 1, 0}, {2, 3, 4}},
    {"dark display (2)", {45.9f}, {2, 0, 0}, {0, 0, 0}},
    {"dark display (0)", {88.0f}, {0, 0, 0}, {0, 0, 0}},
    {"deviceType 2 means GPU", {45.0f, "gpu", 66.0f}, {1, 2, 0}, {0, 6, 6}},
    {"tempeType 2 means Celsius", {45.0f}, {1, 0, 2}, {0, 4, 5}},
    // Defined conversions where the original's were undefined or gave bytes beyond 9.
    {"CPU NaN counts as 0", {kNaN}, {1, 0, 0}, {0, 0, 0}},
    {"CPU NaN in Fahrenheit counts as 0", {kNaN}, {1, 0, 1}, {0, 0, 0}},
    {"CPU +infinity counts as 0", {kInf}, {1, 0, 0}, {0, 0, 0}},
    {"GPU -infinity counts as 0", {0, "gpu", -kInf}, {1, 1, 0}, {0, 0, 0}},
    {"CPU 1e20 held at the top, then bounded", {1e20f}, {1, 0, 1}, {1, 9, 9}},
    {"GPU 1e20 held at the top: digits of 2147483647", {0, "gpu", 1e20f}, {1, 1, 0}, {6, 4, 7}},
    {"CPU negative shows 0", {-12.7f}, {1, 0, 0}, {0, 0, 0}},
    {"GPU negative in Fahrenheit shows 0", {0, "gpu", -40.0f}, {1, 1, 1}, {0, 0, 0}},
    {"GPU -1e20 held at the bottom shows 0", {0, "gpu", -1e20f}, {1, 1, 1}, {0, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Feed, DisplayReportTable, ::testing::ValuesIn(kReportCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(DisplayReport, WithoutMapViewShowsZeros) {
  unsigned char report[app::kDisplayReportSize];
  app::BuildDisplayReport(nullptr, {1, 0, 0}, report);
  const unsigned char expected[6] = {0x07, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(report, expected, 6));
}

TEST(DisplayReport, SpecExampleBytesExactly) {
  const std::vector<unsigned char> map = MakeMap({45.9f});
  unsigned char report[app::kDisplayReportSize];
  app::BuildDisplayReport(map.data(), {1, 0, 0}, report);
  std::vector<unsigned char> expected(app::kDisplayReportSize, 0);
  expected[0] = 0x07;
  expected[1] = expected[2] = 0xFF;
  expected[4] = 4;
  expected[5] = 5;
  EXPECT_EQ(std::vector<unsigned char>(report, report + app::kDisplayReportSize), expected);
}

struct ConversionCase {
  double reading;
  int32_t expected;
};

TEST(DisplayReport, ReadingToIntegerIsDefinedEverywhere) {
  const ConversionCase cases[] = {
      {45.9, 45},          {-45.9, -45},          {0.0, 0},
      {NAN, 0},            {INFINITY, 0},         {-INFINITY, 0},
      {3e9, 2147483647},   {-3e9, -2147483647 - 1}, {2147483647.5, 2147483647},
      {-2147483648.0, -2147483647 - 1},
  };
  for (const ConversionCase& c : cases) EXPECT_EQ(app::ReadingToInteger(c.reading), c.expected) << c.reading;
}

TEST(DisplayReport, FahrenheitOfExtremesIsHeld) {
  EXPECT_EQ(app::ToDisplayUnit(2147483647, 1), 2147483647);
  EXPECT_EQ(app::ToDisplayUnit(-2147483647 - 1, 1), -2147483647 - 1);
  EXPECT_EQ(app::ToDisplayUnit(100, 1), 212);
  EXPECT_EQ(app::ToDisplayUnit(-40, 1), -40);
  EXPECT_EQ(app::ToDisplayUnit(100, 0), 100);
}

}  // namespace
