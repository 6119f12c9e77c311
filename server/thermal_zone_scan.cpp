#include "server/thermal_zone_scan.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/system/hardware_map_layout.h"
#include "server/sysfs_reader.h"

namespace thermwatch {

namespace {

constexpr int kNotCpu = -1;

std::string Lowercase(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

int CpuTier(const std::string& type) {
  if (type == "x86_pkg_temp") return 0;
  if (type.find("cpu") != std::string::npos) return 1;
  if (type.compare(0, 3, "soc") == 0 || type == "b0d4") return 2;
  if (type == "acpitz") return 3;
  return kNotCpu;
}

struct Zone {
  int number;
  std::string entry;
  std::string type;
  std::string folder;
};

}  // namespace

SensorPlan ScanThermalZones(const std::string& sysfsRoot) {
  const std::string base = sysfsRoot + "/class/thermal";
  std::vector<std::tuple<int, int, std::string>> cpus;  // tier, zone number, file
  std::vector<Zone> gpuZones;
  std::map<std::string, int> gpuTypeCount;

  for (const auto& [number, entry] : ListNumberedEntries(base, "thermal_zone")) {
    const std::string folder = base + "/" + entry;
    const std::string type = ReadTrimmedLine(folder + "/type");
    if (type.empty()) continue;
    const std::string lower = Lowercase(type);
    if (lower.find("gpu") != std::string::npos) {
      gpuZones.push_back({number, entry, type, folder});
      ++gpuTypeCount[type];
      continue;
    }
    const int tier = CpuTier(lower);
    if (tier != kNotCpu) cpus.emplace_back(tier, number, folder + "/temp");
  }
  std::sort(cpus.begin(), cpus.end());

  SensorPlan plan;
  for (auto& cpu : cpus) plan.cpuFiles.push_back(std::move(std::get<2>(cpu)));
  const std::size_t limit = hardware_map::kGpuNameSize - 1;
  for (const Zone& zone : gpuZones) {
    SysfsGpu gpu;
    gpu.key = zone.folder;
    // The zone name goes first when the type is cut, so twins stay apart.
    gpu.name = gpuTypeCount[zone.type] > 1 ? SanitizeName(zone.entry + " " + zone.type, limit)
                                           : SanitizeName(zone.type, limit);
    gpu.files.push_back(zone.folder + "/temp");
    plan.gpus.push_back(std::move(gpu));
  }
  return plan;
}

}  // namespace thermwatch
