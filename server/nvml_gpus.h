// NVIDIA GPUs through the driver's management library, loaded at run time when it is installed.
#pragma once

#include <string>
#include <vector>

#include "server/sysfs_reader.h"

namespace thermwatch {

class NvmlGpus {
 public:
  // The library the NVIDIA driver installs; THERMWATCH_NVML may name another file.
  static std::string LibraryName();

  explicit NvmlGpus(std::string library);
  ~NvmlGpus();
  NvmlGpus(const NvmlGpus&) = delete;
  NvmlGpus& operator=(const NvmlGpus&) = delete;

  struct Gpu {
    std::string key;         // "nvml:<index>:<name>"
    std::string name;        // the driver's product name, or "NVIDIA GPU <index>"
    void* device = nullptr;  // the library's handle
  };

  // Lists the GPUs again. While the library is missing or will not initialise, a new attempt
  // is made only every so many calls: its absence is normal and costs next to nothing.
  void Rescan();
  const std::vector<Gpu>& gpus() const { return gpus_; }
  // The current core temperature of one GPU of the last listing.
  TemperatureRead Read(const Gpu& gpu) const;

 private:
  bool Load();
  void Unload();

  using Result = int;  // 0 is success
  using InitFn = Result (*)();
  using CountFn = Result (*)(unsigned int*);
  using HandleFn = Result (*)(unsigned int, void**);
  using NameFn = Result (*)(void*, char*, unsigned int);
  using TemperatureFn = Result (*)(void*, int, unsigned int*);

  std::string library_;
  void* module_ = nullptr;  // dlopen handle; set only while the library is initialised
  InitFn init_ = nullptr;
  InitFn shutdown_ = nullptr;
  CountFn count_ = nullptr;
  HandleFn handleByIndex_ = nullptr;
  NameFn name_ = nullptr;
  TemperatureFn temperature_ = nullptr;
  int rescansUntilRetry_ = 0;
  std::vector<Gpu> gpus_;
};

}  // namespace thermwatch
