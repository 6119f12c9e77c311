// Which CPU and GPU sensors the two scans pick, over tables of fake sysfs trees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fake_sysfs.h"
#include "server/hwmon_scan.h"
#include "server/sensor_monitor.h"
#include "server/sysfs_reader.h"
#include "server/thermal_zone_scan.h"

namespace {

using thermwatch::SensorReadings;
using thermwatch_test::FakeSysfs;

struct ExpectedGpu {
  std::string name;
  float celsius;
};

struct ScanCase {
  const char* what;
  std::function<void(FakeSysfs&)> build;
  std::optional<float> cpu;
  std::vector<ExpectedGpu> gpus;
};

void ExpectPicks(const ScanCase& c, thermwatch::SensorScan scan) {
  SCOPED_TRACE(c.what);
  FakeSysfs tree;
  c.build(tree);
  thermwatch::SensorMonitor monitor(scan, tree.root(), nullptr);
  const SensorReadings readings = monitor.Refresh();
  EXPECT_EQ(readings.cpuCelsius, c.cpu);
  ASSERT_EQ(readings.gpus.size(), c.gpus.size());
  for (std::size_t i = 0; i < c.gpus.size(); ++i) {
    EXPECT_EQ(readings.gpus[i].name, c.gpus[i].name) << "GPU " << i;
    EXPECT_FLOAT_EQ(readings.gpus[i].celsius, c.gpus[i].celsius) << "GPU " << i;
  }
}

TEST(ParseMilliCelsius, AcceptsOnlyWholeKernelValuesInRange) {
  struct Case {
    const char* text;
    std::optional<float> celsius;
  } cases[] = {
      {"45000\n", 45.0f},
      {"-5000", -5.0f},
      {"0\n", 0.0f},
      {" 42125 \n", 42.125f},
      {"150000", 150.0f},
      {"-60000", -60.0f},
      {"", std::nullopt},
      {"\n", std::nullopt},
      {"abc", std::nullopt},
      {"45000abc", std::nullopt},
      {"4.5e4", std::nullopt},
      {"+45000", std::nullopt},
      {"150001", std::nullopt},
      {"-60001", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"45000\n46000", std::nullopt},
  };
  for (const Case& c : cases) {
    const thermwatch::TemperatureRead read = thermwatch::ParseMilliCelsius(c.text);
    if (c.celsius) {
      EXPECT_EQ(read.status, thermwatch::TemperatureRead::kValid) << '"' << c.text << '"';
      EXPECT_FLOAT_EQ(read.celsius, *c.celsius) << '"' << c.text << '"';
    } else {
      EXPECT_EQ(read.status, thermwatch::TemperatureRead::kInvalid) << '"' << c.text << '"';
    }
  }
}

TEST(ReadMilliCelsius, TellsAMissingFileFromAnUnreadableOne) {
  FakeSysfs tree;
  tree.Write("bad", "garbage");
  EXPECT_EQ(thermwatch::ReadMilliCelsius(tree.root() + "/missing").status,
            thermwatch::TemperatureRead::kGone);
  EXPECT_EQ(thermwatch::ReadMilliCelsius(tree.root() + "/bad").status,
            thermwatch::TemperatureRead::kInvalid);
  // A folder where a file should be cannot be read, but is there.
  tree.Write("folder/x", "1");
  EXPECT_EQ(thermwatch::ReadMilliCelsius(tree.root() + "/folder").status,
            thermwatch::TemperatureRead::kInvalid);
}

TEST(SysfsRoot, IsTheEnvironmentsFolderOrSys) {
  unsetenv("THERMWATCH_SYSFS");
  EXPECT_EQ(thermwatch::SysfsRoot(), "/sys");
  setenv("THERMWATCH_SYSFS", "", 1);
  EXPECT_EQ(thermwatch::SysfsRoot(), "/sys");
  setenv("THERMWATCH_SYSFS", "/tmp/fake-sys", 1);
  EXPECT_EQ(thermwatch::SysfsRoot(), "/tmp/fake-sys");
  unsetenv("THERMWATCH_SYSFS");
}

TEST(SanitizeName, KeepsPrintableTextWithinTheLimit) {
  EXPECT_EQ(thermwatch::SanitizeName("  Radeon RX\t7600 \n", 135), "Radeon RX 7600");
  EXPECT_EQ(thermwatch::SanitizeName("GPU\x01\xC3\xA9", 135), "GPU???");
  EXPECT_EQ(thermwatch::SanitizeName(std::string(300, 'x'), 135), std::string(135, 'x'));
  EXPECT_EQ(thermwatch::SanitizeName("ab   cd", 3), "ab");
}

TEST(HwmonScan, PicksTheCpuAndGpuSensors) {
  const ScanCase cases[] = {
      {"coretemp package before cores and acpitz",
       [](FakeSysfs& t) {
         t.Hwmon(0, "acpitz").HwmonTemp(0, 1, "30000");
         t.Hwmon(1, "coretemp")
             .HwmonTemp(1, 2, "43000", "Core 0")
             .HwmonTemp(1, 1, "45000", "Package id 0");
       },
       45.0f,
       {}},
      {"two sockets: package 0 wherever it is numbered",
       [](FakeSysfs& t) {
         t.Hwmon(2, "coretemp")
             .HwmonTemp(2, 1, "61000", "Package id 1")
             .HwmonTemp(2, 2, "60000", "Core 0");
         t.Hwmon(3, "coretemp").HwmonTemp(3, 1, "44000", "Package id 0");
       },
       44.0f,
       {}},
      {"older kernels' Physical id 0",
       [](FakeSysfs& t) {
         t.Hwmon(0, "coretemp")
             .HwmonTemp(0, 2, "41000", "Core 0")
             .HwmonTemp(0, 1, "42000", "Physical id 0");
       },
       42.0f,
       {}},
      {"coretemp without labels: the lowest number",
       [](FakeSysfs& t) {
         t.Hwmon(0, "coretemp").HwmonTemp(0, 3, "49000").HwmonTemp(0, 2, "47000");
       },
       47.0f,
       {}},
      {"k10temp: Tdie before Tctl",
       [](FakeSysfs& t) {
         t.Hwmon(0, "k10temp")
             .HwmonTemp(0, 1, "60000", "Tctl")
             .HwmonTemp(0, 2, "50000", "Tdie")
             .HwmonTemp(0, 3, "48000", "Tccd1");
       },
       50.0f,
       {}},
      {"k10temp: Tctl when there is no Tdie",
       [](FakeSysfs& t) {
         t.Hwmon(0, "k10temp").HwmonTemp(0, 3, "48000", "Tccd1").HwmonTemp(0, 1, "60000", "Tctl");
       },
       60.0f,
       {}},
      {"zenpower",
       [](FakeSysfs& t) {
         t.Hwmon(4, "zenpower").HwmonTemp(4, 1, "51000", "Tctl").HwmonTemp(4, 2, "41000", "Tdie");
       },
       41.0f,
       {}},
      {"SoC cpu_thermal, a GPU sensor beside it",
       [](FakeSysfs& t) {
         t.Hwmon(0, "cpu_thermal").HwmonTemp(0, 1, "38500");
         t.Hwmon(1, "gpu_thermal").HwmonTemp(1, 1, "36000");
       },
       38.5f,
       {{"gpu_thermal hwmon1", 36.0f}}},
      {"a named CPU chip before acpitz",
       [](FakeSysfs& t) {
         t.Hwmon(0, "acpitz").HwmonTemp(0, 1, "30000");
         t.Hwmon(1, "soc_thermal").HwmonTemp(1, 1, "52000");
       },
       52.0f,
       {}},
      {"acpitz as the last resort",
       [](FakeSysfs& t) {
         t.Hwmon(0, "nvme").HwmonTemp(0, 1, "35000", "Composite");
         t.Hwmon(1, "acpitz").HwmonTemp(1, 1, "30000");
       },
       30.0f,
       {}},
      {"no CPU sensor at all",
       [](FakeSysfs& t) {
         t.Hwmon(0, "nvme").HwmonTemp(0, 1, "35000", "Composite");
         t.Hwmon(1, "iwlwifi_1").HwmonTemp(1, 1, "40000");
       },
       std::nullopt,
       {}},
      {"garbage and out-of-range package values fall through to the next sensor",
       [](FakeSysfs& t) {
         t.Hwmon(0, "coretemp")
             .HwmonTemp(0, 1, "garbage", "Package id 0")
             .HwmonTemp(0, 2, "200000", "Core 0");
         t.HwmonTemp(0, 3, "43000", "Core 1");
       },
       43.0f,
       {}},
      {"negative readings are readings",
       [](FakeSysfs& t) { t.Hwmon(0, "cpu-thermal").HwmonTemp(0, 1, "-5000"); },
       -5.0f,
       {}},
      {"unreadable name files are skipped",
       [](FakeSysfs& t) {
         t.Write(FakeSysfs::HwmonFolder(0) + "/name/oops", "");  // a folder, not a file
         t.HwmonTemp(0, 1, "70000");
         t.Hwmon(1, "k10temp").HwmonTemp(1, 1, "55000", "Tctl");
       },
       55.0f,
       {}},
      {"older kernels: attributes on the device",
       [](FakeSysfs& t) {
         t.Write(FakeSysfs::HwmonFolder(0) + "/device/name", "coretemp\n");
         t.Write(FakeSysfs::HwmonFolder(0) + "/device/temp1_input", "42000\n");
         t.Write(FakeSysfs::HwmonFolder(0) + "/device/temp1_label", "Package id 0\n");
       },
       42.0f,
       {}},
      {"amdgpu: edge before junction, named by its PCI address",
       [](FakeSysfs& t) {
         t.Hwmon(3, "amdgpu").HwmonTemp(3, 1, "70000", "junction").HwmonTemp(3, 2, "55000", "edge");
         t.HwmonTemp(3, 3, "80000", "mem");
         t.HwmonDevice(3, "0000:0a:00.0");
       },
       std::nullopt,
       {{"amdgpu 0000:0a:00.0", 55.0f}}},
      {"amdgpu without labels, named by its hwmon node",
       [](FakeSysfs& t) { t.Hwmon(5, "amdgpu").HwmonTemp(5, 2, "61000").HwmonTemp(5, 1, "59000"); },
       std::nullopt,
       {{"amdgpu hwmon5", 59.0f}}},
      {"a product name the driver offers",
       [](FakeSysfs& t) {
         t.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "48000", "edge");
         t.Write(t.HwmonDevice(1, "0000:03:00.0") + "/product_name", "Radeon Test Card\n");
       },
       std::nullopt,
       {{"Radeon Test Card", 48.0f}}},
      {"three GPUs: the first two by PCI address, unlinked ones last",
       [](FakeSysfs& t) {
         t.Hwmon(1, "radeon").HwmonTemp(1, 1, "41000");
         t.HwmonDevice(1, "0000:0b:00.0");
         t.Hwmon(2, "nouveau").HwmonTemp(2, 1, "42000");
         t.Hwmon(4, "amdgpu").HwmonTemp(4, 1, "43000", "edge");
         t.HwmonDevice(4, "0000:03:00.0");
         t.Hwmon(0, "coretemp").HwmonTemp(0, 1, "50000", "Package id 0");
       },
       50.0f,
       {{"amdgpu 0000:03:00.0", 43.0f}, {"radeon 0000:0b:00.0", 41.0f}}},
      {"a GPU that reads nothing valid leaves its place to the next",
       [](FakeSysfs& t) {
         t.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "abc", "edge").HwmonTemp(1, 2, "", "junction");
         t.Hwmon(2, "nouveau").HwmonTemp(2, 1, "42000");
       },
       std::nullopt,
       {{"nouveau hwmon2", 42.0f}}},
      {"no hwmon folder at all", [](FakeSysfs&) {}, std::nullopt, {}},
  };
  for (const ScanCase& c : cases) ExpectPicks(c, thermwatch::ScanHwmon);
}

TEST(ThermalZoneScan, PicksTheCpuAndGpuZones) {
  const ScanCase cases[] = {
      {"x86_pkg_temp before acpitz",
       [](FakeSysfs& t) { t.Zone(0, "acpitz", "30000").Zone(1, "x86_pkg_temp", "47000"); },
       47.0f,
       {}},
      {"acpitz as the last resort",
       [](FakeSysfs& t) { t.Zone(0, "iwlwifi_1", "40000").Zone(1, "acpitz", "30000"); },
       30.0f,
       {}},
      {"ARM board: cpu-thermal and gpu-thermal",
       [](FakeSysfs& t) { t.Zone(0, "cpu-thermal", "41000").Zone(1, "gpu-thermal", "39000"); },
       41.0f,
       {{"gpu-thermal", 39.0f}}},
      {"cpu_thermal before soc_thermal",
       [](FakeSysfs& t) { t.Zone(0, "soc_thermal", "45000").Zone(3, "cpu_thermal", "44000"); },
       44.0f,
       {}},
      {"soc_thermal before acpitz",
       [](FakeSysfs& t) { t.Zone(0, "acpitz", "30000").Zone(1, "soc_thermal", "45000"); },
       45.0f,
       {}},
      {"TCPU before acpitz",
       [](FakeSysfs& t) { t.Zone(0, "acpitz", "30000").Zone(1, "TCPU", "46000"); },
       46.0f,
       {}},
      {"at most two GPU zones; twins told apart by their zone",
       [](FakeSysfs& t) {
         t.Zone(4, "gpu-thermal", "53000")
             .Zone(2, "gpu0-thermal", "51000")
             .Zone(3, "gpu-thermal", "52000");
       },
       std::nullopt,
       {{"gpu0-thermal", 51.0f}, {"thermal_zone3 gpu-thermal", 52.0f}}},
      {"an unreadable zone falls through to the next",
       [](FakeSysfs& t) { t.Zone(0, "x86_pkg_temp", "").Zone(1, "acpitz", "30000"); },
       30.0f,
       {}},
      {"a zone without a type is skipped",
       [](FakeSysfs& t) {
         t.Write(FakeSysfs::ZoneFolder(0) + "/temp", "70000");
         t.Zone(1, "acpitz", "31000");
       },
       31.0f,
       {}},
      {"no thermal zones", [](FakeSysfs&) {}, std::nullopt, {}},
  };
  for (const ScanCase& c : cases) ExpectPicks(c, thermwatch::ScanThermalZones);
}

}  // namespace
