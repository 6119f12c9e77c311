// Readings over time: held values, vanished and hot-added sensors, NVIDIA GPUs through a
// stand-in library.
#include "server/sensor_monitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fake_sysfs.h"
#include "server/hwmon_scan.h"
#include "server/nvml_gpus.h"

namespace {

using thermwatch::SensorMonitor;
using thermwatch_test::FakeSysfs;

TEST(SensorMonitor, HoldsAValueThroughAFewBadReadsThenDropsIt) {
  FakeSysfs tree;
  tree.Hwmon(0, "coretemp").HwmonTemp(0, 1, "45000", "Package id 0");
  tree.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "55000", "edge");
  SensorMonitor monitor(thermwatch::ScanHwmon, tree.root(), nullptr);
  ASSERT_EQ(monitor.Refresh().cpuCelsius, 45.0f);

  tree.HwmonTemp(0, 1, "garbage").HwmonTemp(1, 1, "");
  for (int i = 0; i < thermwatch::kRefreshesHeld; ++i) {
    const auto readings = monitor.Refresh();
    EXPECT_EQ(readings.cpuCelsius, 45.0f) << "refresh " << i;
    ASSERT_EQ(readings.gpus.size(), 1u) << "refresh " << i;
    EXPECT_EQ(readings.gpus[0].celsius, 55.0f);
  }
  const auto dropped = monitor.Refresh();
  EXPECT_EQ(dropped.cpuCelsius, std::nullopt);
  EXPECT_TRUE(dropped.gpus.empty());

  tree.HwmonTemp(0, 1, "46000");
  EXPECT_EQ(monitor.Refresh().cpuCelsius, 46.0f);
}

TEST(SensorMonitor, FollowsValueChangesAtEveryRefresh) {
  FakeSysfs tree;
  tree.Hwmon(0, "k10temp").HwmonTemp(0, 1, "40000", "Tctl");
  SensorMonitor monitor(thermwatch::ScanHwmon, tree.root(), nullptr);
  for (int value = 40; value < 48; ++value) {
    tree.HwmonTemp(0, 1, std::to_string(value * 1000));
    EXPECT_EQ(monitor.Refresh().cpuCelsius, static_cast<float>(value));
  }
}

TEST(SensorMonitor, AVanishedGpuGoesAtTheNextRefreshAndTheNextMovesUp) {
  FakeSysfs tree;
  tree.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "55000", "edge");
  tree.HwmonDevice(1, "0000:03:00.0");
  tree.Hwmon(2, "nouveau").HwmonTemp(2, 1, "42000");
  tree.HwmonDevice(2, "0000:04:00.0");
  SensorMonitor monitor(thermwatch::ScanHwmon, tree.root(), nullptr);
  ASSERT_EQ(monitor.Refresh().gpus.size(), 2u);

  tree.Remove(FakeSysfs::HwmonFolder(1));
  monitor.Refresh();  // notices the missing file; the sensors are listed again next time
  const auto readings = monitor.Refresh();
  ASSERT_EQ(readings.gpus.size(), 1u);
  EXPECT_EQ(readings.gpus[0].name, "nouveau 0000:04:00.0");
  EXPECT_EQ(readings.gpus[0].celsius, 42.0f);
}

TEST(SensorMonitor, AVanishedCpuSensorIsReplacedByTheNextBest) {
  FakeSysfs tree;
  tree.Hwmon(0, "acpitz").HwmonTemp(0, 1, "30000");
  tree.Hwmon(1, "coretemp").HwmonTemp(1, 1, "45000", "Package id 0");
  SensorMonitor monitor(thermwatch::ScanHwmon, tree.root(), nullptr);
  ASSERT_EQ(monitor.Refresh().cpuCelsius, 45.0f);
  tree.Remove(FakeSysfs::HwmonFolder(1));
  EXPECT_EQ(monitor.Refresh().cpuCelsius, 30.0f);
  tree.Remove(FakeSysfs::HwmonFolder(0));
  monitor.Refresh();
  EXPECT_EQ(monitor.Refresh().cpuCelsius, std::nullopt);
}

TEST(SensorMonitor, HotAddedSensorsAppearWithinAScanPeriod) {
  FakeSysfs tree;
  SensorMonitor monitor(thermwatch::ScanHwmon, tree.root(), nullptr);
  const auto empty = monitor.Refresh();
  ASSERT_EQ(empty.cpuCelsius, std::nullopt);
  ASSERT_TRUE(empty.gpus.empty());

  tree.Hwmon(0, "coretemp").HwmonTemp(0, 1, "45000", "Package id 0");
  tree.Hwmon(7, "amdgpu").HwmonTemp(7, 1, "50000", "edge");
  thermwatch::SensorReadings readings;
  for (int i = 0; i < thermwatch::kRefreshesBetweenScans && !readings.cpuCelsius; ++i)
    readings = monitor.Refresh();
  EXPECT_EQ(readings.cpuCelsius, 45.0f);
  ASSERT_EQ(readings.gpus.size(), 1u);
  EXPECT_EQ(readings.gpus[0].name, "amdgpu hwmon7");
}

// NVIDIA GPUs through the stand-in library; FAKE_NVML_STATE names the file it reads.
class NvmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = tree_.root() + "/nvml-state";
    setenv("FAKE_NVML_STATE", state_.c_str(), 1);
  }
  void TearDown() override { unsetenv("FAKE_NVML_STATE"); }
  void SetGpus(const std::string& lines) { tree_.Write("nvml-state", lines); }

  FakeSysfs tree_;
  std::string state_;
};

TEST_F(NvmlTest, NvidiaGpusComeFirstAndFollowTheDriver) {
  SetGpus("66 NVIDIA Fake GPU\n71 NVIDIA Second Fake\n");
  tree_.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "55000", "edge");
  thermwatch::NvmlGpus nvml(FAKE_NVML_LIBRARY);
  SensorMonitor monitor(thermwatch::ScanHwmon, tree_.root(), &nvml);
  auto readings = monitor.Refresh();
  ASSERT_EQ(readings.gpus.size(), 2u);
  EXPECT_EQ(readings.gpus[0].name, "NVIDIA Fake GPU");
  EXPECT_EQ(readings.gpus[0].celsius, 66.0f);
  EXPECT_EQ(readings.gpus[1].name, "NVIDIA Second Fake");

  SetGpus("68 NVIDIA Fake GPU\n");  // the second card is lost
  readings = monitor.Refresh();
  EXPECT_EQ(readings.gpus[0].celsius, 68.0f);
  readings = monitor.Refresh();
  ASSERT_EQ(readings.gpus.size(), 2u);
  EXPECT_EQ(readings.gpus[0].name, "NVIDIA Fake GPU");
  EXPECT_EQ(readings.gpus[1].name, "amdgpu hwmon1");
}

TEST_F(NvmlTest, ALibraryThatIsMissingOrWillNotStartGivesNoGpus) {
  thermwatch::NvmlGpus missing(tree_.root() + "/no-such-library.so.1");
  missing.Rescan();
  EXPECT_TRUE(missing.gpus().empty());

  unsetenv("FAKE_NVML_STATE");  // the stand-in's init then fails, as without a driver
  thermwatch::NvmlGpus idle(FAKE_NVML_LIBRARY);
  idle.Rescan();
  EXPECT_TRUE(idle.gpus().empty());
}

TEST_F(NvmlTest, AnUnreadableTemperatureIsNotPublished) {
  SetGpus("n/a NVIDIA Fake GPU\n");
  thermwatch::NvmlGpus nvml(FAKE_NVML_LIBRARY);
  nvml.Rescan();
  ASSERT_EQ(nvml.gpus().size(), 1u);
  EXPECT_EQ(nvml.Read(nvml.gpus()[0]).status, thermwatch::TemperatureRead::kInvalid);
  SetGpus("999 NVIDIA Fake GPU\n");
  EXPECT_EQ(nvml.Read(nvml.gpus()[0]).status, thermwatch::TemperatureRead::kInvalid);
  SetGpus("0 NVIDIA Fake GPU\n");
  const auto read = nvml.Read(nvml.gpus()[0]);
  EXPECT_EQ(read.status, thermwatch::TemperatureRead::kValid);
  EXPECT_EQ(read.celsius, 0.0f);
}

}  // namespace
