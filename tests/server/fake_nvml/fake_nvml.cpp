// A stand-in for the NVIDIA management library, for tests of the dynamic loading path. The GPUs
// are the lines of the file named by FAKE_NVML_STATE, read again at every call:
// "<temperature> <name>" per GPU; a temperature that is not a number fails to read.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSuccess = 0;
constexpr int kInvalidArgument = 2;
constexpr int kNotSupported = 3;
constexpr int kDriverNotLoaded = 9;
constexpr int kInsufficientSize = 7;
constexpr int kGpuIsLost = 15;

struct FakeGpu {
  std::string temperature;
  std::string name;
};

bool ReadState(std::vector<FakeGpu>& gpus) {
  gpus.clear();
  const char* path = std::getenv("FAKE_NVML_STATE");
  if (!path) return false;
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    gpus.push_back({line.substr(0, space), line.substr(space + 1)});
  }
  return true;
}

// Handles are 1 + the index, never null.
bool Lookup(void* device, FakeGpu& gpu) {
  std::vector<FakeGpu> gpus;
  const auto index = reinterpret_cast<std::uintptr_t>(device);
  if (!ReadState(gpus) || index == 0 || index > gpus.size()) return false;
  gpu = gpus[index - 1];
  return true;
}

}  // namespace

extern "C" {

int nvmlInit_v2() {
  std::vector<FakeGpu> gpus;
  return ReadState(gpus) ? kSuccess : kDriverNotLoaded;
}

int nvmlShutdown() { return kSuccess; }

int nvmlDeviceGetCount_v2(unsigned int* count) {
  std::vector<FakeGpu> gpus;
  if (!count || !ReadState(gpus)) return kInvalidArgument;
  *count = static_cast<unsigned int>(gpus.size());
  return kSuccess;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** device) {
  std::vector<FakeGpu> gpus;
  if (!device || !ReadState(gpus) || index >= gpus.size()) return kInvalidArgument;
  *device = reinterpret_cast<void*>(static_cast<std::uintptr_t>(index) + 1);
  return kSuccess;
}

int nvmlDeviceGetName(void* device, char* name, unsigned int length) {
  FakeGpu gpu;
  if (!name || !Lookup(device, gpu)) return kGpuIsLost;
  if (gpu.name.size() + 1 > length) return kInsufficientSize;
  std::memcpy(name, gpu.name.c_str(), gpu.name.size() + 1);
  return kSuccess;
}

int nvmlDeviceGetTemperature(void* device, int sensor, unsigned int* temperature) {
  FakeGpu gpu;
  if (!temperature || sensor != 0) return kInvalidArgument;
  if (!Lookup(device, gpu)) return kGpuIsLost;
  char* end = nullptr;
  const unsigned long value = std::strtoul(gpu.temperature.c_str(), &end, 10);
  if (gpu.temperature.empty() || *end != 0) return kNotSupported;
  *temperature = static_cast<unsigned int>(value);
  return kSuccess;
}

}  // extern "C"
