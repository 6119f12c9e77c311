// Small, careful reads of sysfs attribute files (hwmon, thermal zones, and fake trees in tests).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace thermwatch {

// Valid temperatures lie in this range; anything else is a sensor fault or a sentinel value.
constexpr float kMinCelsius = -60.0f;
constexpr float kMaxCelsius = 150.0f;

// One attempt to read a temperature.
struct TemperatureRead {
  enum Status {
    kValid,    // `celsius` holds a finite value within the valid range
    kInvalid,  // the file is there but could not be read or held no usable value
    kGone,     // the file or its device no longer exists: the sensors should be listed again
  };
  Status status = kInvalid;
  float celsius = 0.0f;
};

// The folder that stands for /sys: THERMWATCH_SYSFS when set and not empty, else "/sys".
std::string SysfsRoot();

// Reads at most a few hundred bytes of a small text file. Returns false when it cannot be
// opened or read; `gone` (when given) tells whether that was because it no longer exists.
bool ReadSmallFile(const std::string& path, std::string& text, bool* gone = nullptr);

// The first line of a small text file without surrounding blanks; empty when unreadable.
std::string ReadTrimmedLine(const std::string& path);

// Parses a temperature in millidegrees Celsius as the kernel writes it ("45000\n", "-5000").
// Anything else (empty, garbage, trailing characters, out of range) gives kInvalid.
TemperatureRead ParseMilliCelsius(const std::string& text);

// Reads and parses a millidegree file.
TemperatureRead ReadMilliCelsius(const std::string& path);

// The entries of `folder` named `prefix`, a decimal number, then `suffix` (hwmon3,
// thermal_zone0, temp2_input), as (number, name) sorted by number. Missing folder: empty.
std::vector<std::pair<int, std::string>> ListNumberedEntries(const std::string& folder,
                                                             const std::string& prefix,
                                                             const std::string& suffix = "");

// The last path component of the target of the symbolic link `path` (for a hwmon device link,
// the PCI address such as "0000:03:00.0"); empty when it is not a readable link.
std::string LinkTargetName(const std::string& path);

// Text made safe for the hardware data map: printable ASCII only (others become '?'), runs of
// blanks kept, surrounding blanks removed, at most `maxLength` bytes.
std::string SanitizeName(const std::string& text, std::size_t maxLength);

}  // namespace thermwatch
