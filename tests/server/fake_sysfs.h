// A fake /sys tree in a private temporary folder, removed again with the object.
#pragma once

#include <string>

namespace thermwatch_test {

class FakeSysfs {
 public:
  FakeSysfs();
  ~FakeSysfs();
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  const std::string& root() const { return root_; }

  // class/hwmon/hwmon<number>/name.
  FakeSysfs& Hwmon(int number, const std::string& chip);
  // class/hwmon/hwmon<number>/temp<temp>_input, and temp<temp>_label unless `label` is null.
  FakeSysfs& HwmonTemp(int number, int temp, const std::string& value, const char* label = nullptr);
  // Links class/hwmon/hwmon<number>/device to devices/pci0000:00/<address>; returns that folder
  // (relative to the root).
  std::string HwmonDevice(int number, const std::string& address);
  // class/thermal/thermal_zone<number>/{type,temp}.
  FakeSysfs& Zone(int number, const std::string& type, const std::string& temp);

  // Writes a file (relative to the root), creating folders; replaced atomically, as a sensor
  // value changes under a reader.
  void Write(const std::string& relative, const std::string& content);
  // Removes a file or a whole folder (relative to the root).
  void Remove(const std::string& relative);

  static std::string HwmonFolder(int number) {
    return "class/hwmon/hwmon" + std::to_string(number);
  }
  static std::string ZoneFolder(int number) {
    return "class/thermal/thermal_zone" + std::to_string(number);
  }

 private:
  std::string root_;
};

}  // namespace thermwatch_test
