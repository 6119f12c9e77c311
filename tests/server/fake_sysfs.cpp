#include "fake_sysfs.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace thermwatch_test {

namespace fs = std::filesystem;

FakeSysfs::FakeSysfs() {
  std::string pattern = (fs::temp_directory_path() / "thermwatch-sysfs-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  root_ = pattern;
}

FakeSysfs::~FakeSysfs() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void FakeSysfs::Write(const std::string& relative, const std::string& content) {
  const fs::path target = fs::path(root_) / relative;
  fs::create_directories(target.parent_path());
  const fs::path temporary = target.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + temporary.string());
  }
  fs::rename(temporary, target);
}

void FakeSysfs::Remove(const std::string& relative) { fs::remove_all(fs::path(root_) / relative); }

FakeSysfs& FakeSysfs::Hwmon(int number, const std::string& chip) {
  Write(HwmonFolder(number) + "/name", chip + "\n");
  return *this;
}

FakeSysfs& FakeSysfs::HwmonTemp(int number, int temp, const std::string& value, const char* label) {
  const std::string prefix = HwmonFolder(number) + "/temp" + std::to_string(temp);
  Write(prefix + "_input", value);
  if (label) Write(prefix + "_label", std::string(label) + "\n");
  return *this;
}

std::string FakeSysfs::HwmonDevice(int number, const std::string& address) {
  const std::string device = "devices/pci0000:00/" + address;
  fs::create_directories(fs::path(root_) / device);
  fs::create_directories(fs::path(root_) / HwmonFolder(number));
  fs::create_symlink(fs::path(root_) / device, fs::path(root_) / HwmonFolder(number) / "device");
  return device;
}

FakeSysfs& FakeSysfs::Zone(int number, const std::string& type, const std::string& temp) {
  Write(ZoneFolder(number) + "/type", type + "\n");
  Write(ZoneFolder(number) + "/temp", temp);
  return *this;
}

}  // namespace thermwatch_test
