// The cost of one feed step without its second of sleep: building the display report from the
// map, and building plus writing it to two simulated coolers.
// The whole program's CPU use over a minute is measured by bench/headless_cpu.py.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/cooler_feed.h"
#include "app/display_report.h"
#include "app/hid_device_list.h"
#include "platform/system/hardware_map_layout.h"
#include "platform/system/shared_memory.h"
#include "tools/virtualcooler/virtual_cooler_hooks.h"

namespace {

void BM_BuildDisplayReport(benchmark::State& state) {
  std::vector<unsigned char> map(hardware_map::kSize, 0);
  const float cpu = 45.9f;
  std::memcpy(&map[hardware_map::kCpuTemperature], &cpu, sizeof cpu);
  app::FeedSettings settings{1, 0, 1};
  unsigned char report[app::kDisplayReportSize];
  for (auto _ : state) {
    app::BuildDisplayReport(map.data(), settings, report);
    benchmark::DoNotOptimize(report);
  }
}
BENCHMARK(BM_BuildDisplayReport);

// One feed step without the sleep, as the worker runs it: read the settings and the map, build the
// report and send it to every open cooler (two simulated coolers, no log file).
void BM_FeedStepWithoutSleep_TwoCoolers(benchmark::State& state) {
  const std::string mapName = "vq_bench_map_" + std::to_string(getpid());
  setenv("VQ_HARDWARE_MAP_NAME", mapName.c_str(), 1);
  setenv("VIRTUAL_COOLER", "count=2", 1);
  unsetenv("VIRTUAL_COOLER_LOG");
  virtual_cooler_reset_for_tests();
  {
    app::CoolerFeed feed;
    feed.RefreshDevices();
    if (CHidDeviceList::GetDeviceList().Count() != 2) state.SkipWithError("the two simulated coolers did not open");
    for (auto _ : state) benchmark::DoNotOptimize(feed.SendFeedReport());
    CHidDeviceList::GetDeviceList().CloseAll();
  }
  platform::UnlinkSharedMemory(mapName.c_str());
}
BENCHMARK(BM_FeedStepWithoutSleep_TwoCoolers);

}  // namespace

BENCHMARK_MAIN();
