// The virtual cooler's configuration: the text of VIRTUAL_COOLER and of the control file, parsed
// into settings, and the coolers those settings describe.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace virtualcooler {

constexpr int kMaxCoolers = 64;
constexpr int kAllCoolers = -1;

enum FailBits : unsigned {
  kFailNone = 0,
  kFailOpen = 1u << 0,     // hid_open_path refuses the cooler's collections
  kFailWrite = 1u << 1,    // hid_send_feature_report fails
  kFailRead = 1u << 2,     // hid_get_feature_report fails
  kFailProduct = 1u << 3,  // hid_get_product_string fails
  kFailInit = 1u << 4,     // hid_init (and so hid_enumerate, hid_open_path) fails; global only
};

// One key=value pair; device is kAllCoolers for "key", N for "key.N".
struct Setting {
  std::string key;
  int device = kAllCoolers;
  std::string value;
};

// What one simulated cooler is.
struct CoolerSpec {
  bool plugged = true;
  int vendorId = 0x1A2C;
  int productId = 0x434D;
  int release = 0x0100;
  int firmware = 0x0106;
  bool display = true;  // has the display collection (usage page 0xFF01, usage 1)
  unsigned fail = kFailNone;
  int firstReportId = -1;  // report id of the first answer after each sent report; -1: always 7
  size_t pathLength = 0;   // 0: the natural length of its paths
  std::wstring product = L"Virtual Cooler";
};

struct Config {
  int count = 1;
  bool failInit = false;
  std::vector<CoolerSpec> coolers;  // kMaxCoolers entries; index >= count means not plugged
  bool Present(int index) const {
    return index >= 0 && index < count && index < static_cast<int>(coolers.size()) && coolers[index].plugged;
  }
};

// Splits text at commas and line ends into key=value settings; blank items and lines beginning
// with '#' are skipped. Malformed items are described in errors (one line each).
std::vector<Setting> ParseSettings(const std::string& text, std::string& errors);

// Applies the settings in order (a later one wins; "key" reaches every cooler, "key.N" only
// cooler N). Unknown keys and bad values are described in errors.
Config ResolveConfig(const std::vector<Setting>& settings, std::string& errors);

}  // namespace virtualcooler
