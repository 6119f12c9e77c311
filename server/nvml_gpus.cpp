#include "server/nvml_gpus.h"

#include <dlfcn.h>

#include <cstdlib>
#include <type_traits>
#include <utility>

#include "platform/system/hardware_map_layout.h"

namespace thermwatch {

namespace {

constexpr int kSuccess = 0;
constexpr int kGpuIsLost = 15;
constexpr int kTemperatureGpu = 0;             // the GPU core sensor
constexpr unsigned int kNameBufferSize = 128;  // larger than the library's longest name
// About a minute between attempts while the library is absent or the driver is not up.
constexpr int kRescansBetweenAttempts = 12;

}  // namespace

std::string NvmlGpus::LibraryName() {
  const char* overridden = std::getenv("THERMWATCH_NVML");
  return overridden && *overridden ? overridden : "libnvidia-ml.so.1";
}

NvmlGpus::NvmlGpus(std::string library) : library_(std::move(library)) {}

NvmlGpus::~NvmlGpus() { Unload(); }

bool NvmlGpus::Load() {
  void* module = dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return false;
  const auto find = [module](auto& function, const char* symbol) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(module, symbol));
    return function != nullptr;
  };
  const bool complete = find(init_, "nvmlInit_v2") && find(shutdown_, "nvmlShutdown") &&
                        find(count_, "nvmlDeviceGetCount_v2") &&
                        find(handleByIndex_, "nvmlDeviceGetHandleByIndex_v2") &&
                        find(name_, "nvmlDeviceGetName") &&
                        find(temperature_, "nvmlDeviceGetTemperature");
  if (!complete || init_() != kSuccess) {
    dlclose(module);
    return false;
  }
  module_ = module;
  return true;
}

void NvmlGpus::Unload() {
  gpus_.clear();
  if (!module_) return;
  shutdown_();
  dlclose(module_);
  module_ = nullptr;
}

void NvmlGpus::Rescan() {
  gpus_.clear();
  if (!module_) {
    if (rescansUntilRetry_ > 0) {
      --rescansUntilRetry_;
      return;
    }
    if (!Load()) {
      rescansUntilRetry_ = kRescansBetweenAttempts;
      return;
    }
  }
  unsigned int count = 0;
  if (count_(&count) != kSuccess) return;
  for (unsigned int index = 0; index < count; ++index) {
    void* device = nullptr;
    if (handleByIndex_(index, &device) != kSuccess || !device) continue;
    char buffer[kNameBufferSize] = {};
    std::string name;
    if (name_(device, buffer, sizeof buffer) == kSuccess) {
      buffer[sizeof buffer - 1] = 0;
      name = SanitizeName(buffer, hardware_map::kGpuNameSize - 1);
    }
    if (name.empty()) name = "NVIDIA GPU " + std::to_string(index);
    gpus_.push_back({"nvml:" + std::to_string(index) + ":" + name, name, device});
  }
}

TemperatureRead NvmlGpus::Read(const Gpu& gpu) const {
  if (!module_) return {TemperatureRead::kGone, 0.0f};
  unsigned int celsius = 0;
  const int result = temperature_(gpu.device, kTemperatureGpu, &celsius);
  if (result == kGpuIsLost) return {TemperatureRead::kGone, 0.0f};
  if (result != kSuccess || celsius > static_cast<unsigned int>(kMaxCelsius)) return {};
  return {TemperatureRead::kValid, static_cast<float>(celsius)};
}

}  // namespace thermwatch
