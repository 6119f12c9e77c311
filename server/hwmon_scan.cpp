#include "server/hwmon_scan.h"

#include <algorithm>
#include <tuple>

#include "platform/system/hardware_map_layout.h"
#include "server/sysfs_reader.h"

namespace thermwatch {

namespace {

// How a chip's temperatures are ranked; lower is better.
enum class ChipKind { kNone, kCoretemp, kAmdCpu, kOtherCpu, kAcpi, kAmdGpu, kOtherGpu };

constexpr int kUnpreferredLabel = 3;

std::string NormalizedChipName(std::string name) {
  for (char& ch : name) {
    if (ch == '-') ch = '_';
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return name;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

ChipKind Classify(const std::string& chipName) {
  const std::string chip = NormalizedChipName(chipName);
  if (chip == "coretemp") return ChipKind::kCoretemp;
  if (chip == "k10temp" || chip == "zenpower") return ChipKind::kAmdCpu;
  if (chip == "k8temp" || chip == "via_cputemp" || chip == "x86_pkg_temp" ||
      StartsWith(chip, "cpu") || StartsWith(chip, "soc")) {
    return ChipKind::kOtherCpu;
  }
  if (chip == "acpitz") return ChipKind::kAcpi;
  if (chip == "amdgpu") return ChipKind::kAmdGpu;
  if (chip == "radeon" || chip == "nouveau" || chip.find("gpu") != std::string::npos) {
    return ChipKind::kOtherGpu;  // the last: SoC GPU sensors such as gpu_thermal
  }
  return ChipKind::kNone;
}

int CpuTier(ChipKind kind) {
  switch (kind) {
    case ChipKind::kCoretemp:
    case ChipKind::kAmdCpu:
      return 0;
    case ChipKind::kOtherCpu:
      return 1;
    default:
      return 2;
  }
}

int LabelRank(ChipKind kind, const std::string& label) {
  switch (kind) {
    case ChipKind::kCoretemp:
      if (label == "Package id 0") return 0;
      if (label == "Physical id 0") return 1;  // what older kernels called the package
      if (StartsWith(label, "Package id") || StartsWith(label, "Physical id")) return 2;
      return kUnpreferredLabel;
    case ChipKind::kAmdCpu:
      if (label == "Tdie") return 0;
      if (label == "Tctl") return 1;  // carries a fan-control offset on some models
      return kUnpreferredLabel;
    case ChipKind::kAmdGpu:
      return label == "edge" ? 0 : kUnpreferredLabel;
    default:
      return kUnpreferredLabel;
  }
}

struct CpuCandidate {
  int tier;
  int labelRank;
  int hwmonNumber;
  int tempNumber;
  std::string file;
};

struct GpuCandidate {
  std::string pciAddress;
  int hwmonNumber;
  SysfsGpu gpu;
};

std::string GpuName(const std::string& hwmonFolder, const std::string& hwmonEntry,
                    const std::string& chip, const std::string& pciAddress) {
  const std::size_t limit = hardware_map::kGpuNameSize - 1;
  std::string name = SanitizeName(ReadTrimmedLine(hwmonFolder + "/device/product_name"), limit);
  if (name.empty()) {
    name = SanitizeName(chip + " " + (pciAddress.empty() ? hwmonEntry : pciAddress), limit);
  }
  return name;
}

}  // namespace

SensorPlan ScanHwmon(const std::string& sysfsRoot) {
  const std::string base = sysfsRoot + "/class/hwmon";
  std::vector<CpuCandidate> cpus;
  std::vector<GpuCandidate> gpus;

  for (const auto& [hwmonNumber, entry] : ListNumberedEntries(base, "hwmon")) {
    const std::string folder = base + "/" + entry;
    // Older kernels kept the attributes on the device rather than on the hwmon node.
    std::string attributes = folder;
    std::string chip = ReadTrimmedLine(folder + "/name");
    if (chip.empty()) {
      attributes = folder + "/device";
      chip = ReadTrimmedLine(attributes + "/name");
    }
    const ChipKind kind = Classify(chip);
    if (kind == ChipKind::kNone) continue;
    const auto temps = ListNumberedEntries(attributes, "temp", "_input");
    if (temps.empty()) continue;

    if (kind == ChipKind::kAmdGpu || kind == ChipKind::kOtherGpu) {
      std::vector<std::tuple<int, int, std::string>> ranked;
      for (const auto& [tempNumber, input] : temps) {
        const std::string label =
            ReadTrimmedLine(attributes + "/temp" + std::to_string(tempNumber) + "_label");
        ranked.emplace_back(LabelRank(kind, label), tempNumber, attributes + "/" + input);
      }
      std::sort(ranked.begin(), ranked.end());
      GpuCandidate gpu;
      gpu.pciAddress = LinkTargetName(folder + "/device");
      gpu.hwmonNumber = hwmonNumber;
      gpu.gpu.key = folder;
      gpu.gpu.name = GpuName(folder, entry, chip, gpu.pciAddress);
      for (auto& [rank, number, file] : ranked) gpu.gpu.files.push_back(std::move(file));
      gpus.push_back(std::move(gpu));
      continue;
    }

    for (const auto& [tempNumber, input] : temps) {
      const std::string label =
          ReadTrimmedLine(attributes + "/temp" + std::to_string(tempNumber) + "_label");
      cpus.push_back({CpuTier(kind), LabelRank(kind, label), hwmonNumber, tempNumber,
                      attributes + "/" + input});
    }
  }

  std::sort(cpus.begin(), cpus.end(), [](const CpuCandidate& a, const CpuCandidate& b) {
    return std::tie(a.tier, a.labelRank, a.hwmonNumber, a.tempNumber) <
           std::tie(b.tier, b.labelRank, b.hwmonNumber, b.tempNumber);
  });
  // Devices with a PCI address come first, in address order; the rest by hwmon number.
  std::sort(gpus.begin(), gpus.end(), [](const GpuCandidate& a, const GpuCandidate& b) {
    const bool aUnplaced = a.pciAddress.empty();
    const bool bUnplaced = b.pciAddress.empty();
    return std::tie(aUnplaced, a.pciAddress, a.hwmonNumber) <
           std::tie(bUnplaced, b.pciAddress, b.hwmonNumber);
  });

  SensorPlan plan;
  for (auto& cpu : cpus) plan.cpuFiles.push_back(std::move(cpu.file));
  for (auto& gpu : gpus) plan.gpus.push_back(std::move(gpu.gpu));
  return plan;
}

}  // namespace thermwatch
