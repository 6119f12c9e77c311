// What the server writes into the hardware data map.
#include "server/hardware_map_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/system/hardware_map_layout.h"

namespace {

using thermwatch::HardwareMapWriter;
using thermwatch::SensorReadings;

class HardwareMapWriterTest : public ::testing::Test {
 protected:
  float FloatAt(std::size_t offset) const {
    float value;
    std::memcpy(&value, block_.data() + offset, sizeof value);
    return value;
  }
  void PutFloat(std::size_t offset, float value) {
    std::memcpy(block_.data() + offset, &value, sizeof value);
  }
  std::string NameAt(std::size_t offset) const {
    const char* text = reinterpret_cast<const char*>(block_.data() + offset);
    return std::string(text, strnlen(text, hardware_map::kGpuNameSize));
  }

  std::vector<unsigned char> block_ = std::vector<unsigned char>(hardware_map::kSize, 0);
};

TEST_F(HardwareMapWriterTest, WritesTheFieldsTheProgramReads) {
  HardwareMapWriter writer(block_.data());
  writer.Publish(
      SensorReadings{45.5f, {{"amdgpu 0000:03:00.0", 55.0f}, {"NVIDIA Fake GPU", 61.25f}}});
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 45.5f);
  EXPECT_FLOAT_EQ(FloatAt(hardware_map::kCpuDelivering), 45.5f + 273.15f);
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "amdgpu 0000:03:00.0");
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 55.0f);
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "NVIDIA Fake GPU");
  EXPECT_EQ(FloatAt(hardware_map::kGpu2Temperature), 61.25f);
  // Nothing outside the fields is touched.
  for (std::size_t i = 0; i < hardware_map::kCpuTemperature; ++i) ASSERT_EQ(block_[i], 0) << i;
  for (std::size_t i = hardware_map::kGpu2Temperature + 4; i < hardware_map::kSize; ++i)
    ASSERT_EQ(block_[i], 0) << i;
}

TEST_F(HardwareMapWriterTest, DeliveringIsPositiveForEveryValidCpuReading) {
  HardwareMapWriter writer(block_.data());
  for (const float celsius : {0.0f, -5.0f, -60.0f, 0.001f, 150.0f}) {
    writer.Publish(SensorReadings{celsius, {}});
    EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), celsius);
    EXPECT_GT(FloatAt(hardware_map::kCpuDelivering), 0.0f) << celsius;
  }
  writer.Publish(SensorReadings{std::nullopt, {}});
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 0.0f);
  EXPECT_EQ(FloatAt(hardware_map::kCpuDelivering), 0.0f);
}

TEST_F(HardwareMapWriterTest, NeverWritesNonFiniteValues) {
  HardwareMapWriter writer(block_.data());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  writer.Publish(SensorReadings{nan, {{"a", inf}, {"b", -inf}}});
  for (const std::size_t offset :
       {hardware_map::kCpuTemperature, hardware_map::kCpuDelivering, hardware_map::kGpu1Temperature,
        hardware_map::kGpu2Temperature}) {
    EXPECT_TRUE(std::isfinite(FloatAt(offset))) << offset;
  }
}

TEST_F(HardwareMapWriterTest, LongNamesAreCutAndAlwaysTerminated) {
  std::memset(block_.data() + hardware_map::kGpu1Name, 'z', hardware_map::kGpuNameSize);
  HardwareMapWriter writer(block_.data());
  writer.Publish(SensorReadings{40.0f, {{std::string(300, 'x'), 50.0f}}});
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), std::string(hardware_map::kGpuNameSize - 1, 'x'));
  EXPECT_EQ(block_[hardware_map::kGpu1Name + hardware_map::kGpuNameSize - 1], 0);

  writer.Publish(SensorReadings{40.0f, {{"short", 50.0f}}});
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "short");
  for (std::size_t i = 5; i < hardware_map::kGpuNameSize; ++i) {
    ASSERT_EQ(block_[hardware_map::kGpu1Name + i], 0) << "no rest of the longer name stays behind";
  }
}

TEST_F(HardwareMapWriterTest, AGpuWithATemperatureAlwaysHasAName) {
  HardwareMapWriter writer(block_.data());
  writer.Publish(SensorReadings{40.0f, {{"", 50.0f}, {"", 51.0f}}});
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "GPU 1");
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "GPU 2");
}

TEST_F(HardwareMapWriterTest, StaleFieldsAreClearedAtTheStartAndVanishedGpusLater) {
  std::memcpy(block_.data() + hardware_map::kGpu2Name, "old card", 9);
  PutFloat(hardware_map::kGpu2Temperature, 77.0f);
  PutFloat(hardware_map::kCpuTemperature, 99.0f);
  PutFloat(hardware_map::kCpuDelivering, 372.0f);

  HardwareMapWriter writer(block_.data());
  writer.Publish(SensorReadings{std::nullopt, {{"gpu-thermal", 40.0f}}});
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 0.0f);
  EXPECT_EQ(FloatAt(hardware_map::kCpuDelivering), 0.0f);
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "gpu-thermal");
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "");
  EXPECT_EQ(FloatAt(hardware_map::kGpu2Temperature), 0.0f);

  writer.Publish(SensorReadings{std::nullopt, {}});
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "");
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 0.0f);
}

TEST_F(HardwareMapWriterTest, FieldsItHasClearedAreLeftToAnotherServer) {
  HardwareMapWriter writer(block_.data());
  writer.Publish(SensorReadings{std::nullopt, {}});  // takes over the block, has nothing

  // Another server (the fallback build) delivers the CPU and a GPU.
  PutFloat(hardware_map::kCpuTemperature, 48.0f);
  PutFloat(hardware_map::kCpuDelivering, 321.15f);
  std::memcpy(block_.data() + hardware_map::kGpu1Name, "gpu-thermal", 12);
  writer.Publish(SensorReadings{std::nullopt, {}});
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 48.0f);
  EXPECT_EQ(FloatAt(hardware_map::kCpuDelivering), 321.15f);
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "gpu-thermal");
}

}  // namespace
