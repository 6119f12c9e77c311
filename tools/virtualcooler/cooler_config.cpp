#include "tools/virtualcooler/cooler_config.h"

#include <cerrno>
#include <cstdlib>

namespace virtualcooler {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// Decimal, or hexadecimal with 0x.
bool ParseNumber(const std::string& text, long min, long max, long& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value < min || value > max) return false;
  out = value;
  return true;
}

bool ParseFlag(const std::string& text, bool& out) {
  if (text == "1" || text == "yes" || text == "true" || text == "on") return out = true, true;
  if (text == "0" || text == "no" || text == "false" || text == "off") return out = false, true;
  return false;
}

bool ParseFail(const std::string& text, unsigned& out) {
  unsigned bits = kFailNone;
  size_t start = 0;
  while (start <= text.size()) {
    size_t bar = text.find('|', start);
    std::string word = Trim(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (word == "open") bits |= kFailOpen;
    else if (word == "write") bits |= kFailWrite;
    else if (word == "read") bits |= kFailRead;
    else if (word == "product") bits |= kFailProduct;
    else if (word == "init") bits |= kFailInit;
    else if (word != "none" && !word.empty()) return false;
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  out = bits;
  return true;
}

// UTF-8 to wide characters; a malformed byte stands for itself.
std::wstring WidenUtf8(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    unsigned code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : extra == 1 ? lead & 0x1Fu : lead;
    bool good = lead < 0x80 || extra > 0;  // a stray continuation byte is malformed
    for (int k = 1; good && k <= extra; ++k) {
      if (i + k >= text.size()) { good = false; break; }
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) good = false;
      else code = (code << 6) | (next & 0x3Fu);
    }
    if (!good) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(code));
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// Applies one per-cooler setting; false when the key is unknown or its value bad.
bool ApplyToCooler(CoolerSpec& cooler, const Setting& setting) {
  const std::string& v = setting.value;
  long number = 0;
  bool flag = false;
  if (setting.key == "firmware") {
    if (!ParseNumber(v, 0, 0xFFFF, number)) return false;
    cooler.firmware = static_cast<int>(number);
  } else if (setting.key == "fail") {
    unsigned bits = 0;
    if (!ParseFail(v, bits)) return false;
    cooler.fail = bits & ~static_cast<unsigned>(kFailInit);
  } else if (setting.key == "firstid") {
    if (v == "none") {
      cooler.firstReportId = -1;
    } else {
      if (!ParseNumber(v, 0, 0xFF, number)) return false;
      cooler.firstReportId = static_cast<int>(number);
    }
  } else if (setting.key == "pathlen") {
    if (!ParseNumber(v, 0, 1 << 16, number)) return false;
    cooler.pathLength = static_cast<size_t>(number);
  } else if (setting.key == "display") {
    if (!ParseFlag(v, flag)) return false;
    cooler.display = flag;
  } else if (setting.key == "plugged") {
    if (!ParseFlag(v, flag)) return false;
    cooler.plugged = flag;
  } else if (setting.key == "product") {
    cooler.product = WidenUtf8(v);
  } else if (setting.key == "vid") {
    if (!ParseNumber(v, 0, 0xFFFF, number)) return false;
    cooler.vendorId = static_cast<int>(number);
  } else if (setting.key == "pid") {
    if (!ParseNumber(v, 0, 0xFFFF, number)) return false;
    cooler.productId = static_cast<int>(number);
  } else if (setting.key == "release") {
    if (!ParseNumber(v, 0, 0xFFFF, number)) return false;
    cooler.release = static_cast<int>(number);
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::vector<Setting> ParseSettings(const std::string& text, std::string& errors) {
  std::vector<Setting> settings;
  size_t start = 0;
  while (start <= text.size()) {
    size_t stop = text.find_first_of(",\n", start);
    std::string item = Trim(text.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
    start = stop == std::string::npos ? text.size() + 1 : stop + 1;
    if (item.empty() || item[0] == '#') continue;
    size_t equals = item.find('=');
    if (equals == std::string::npos) {
      errors += "item without '=': " + item + "\n";
      continue;
    }
    Setting setting;
    setting.key = Trim(item.substr(0, equals));
    setting.value = Trim(item.substr(equals + 1));
    size_t dot = setting.key.find('.');
    if (dot != std::string::npos) {
      long device = 0;
      if (!ParseNumber(setting.key.substr(dot + 1), 0, kMaxCoolers - 1, device)) {
        errors += "bad cooler number in key: " + setting.key + "\n";
        continue;
      }
      setting.device = static_cast<int>(device);
      setting.key.resize(dot);
    }
    settings.push_back(std::move(setting));
  }
  return settings;
}

Config ResolveConfig(const std::vector<Setting>& settings, std::string& errors) {
  Config config;
  config.coolers.resize(kMaxCoolers);
  for (const Setting& setting : settings) {
    bool good = true;
    if (setting.key == "control") {
      continue;  // taken by the library itself, and only from the environment
    } else if (setting.key == "count" && setting.device == kAllCoolers) {
      long count = 0;
      good = ParseNumber(setting.value, 0, kMaxCoolers, count);
      if (good) config.count = static_cast<int>(count);
    } else if (setting.device == kAllCoolers) {
      if (setting.key == "fail") {
        unsigned bits = 0;
        if (ParseFail(setting.value, bits)) config.failInit = (bits & kFailInit) != 0;
      }
      for (CoolerSpec& cooler : config.coolers) good = ApplyToCooler(cooler, setting) && good;
    } else {
      good = ApplyToCooler(config.coolers[setting.device], setting);
    }
    if (!good) {
      errors += "ignored: " + setting.key + (setting.device == kAllCoolers ? "" : "." + std::to_string(setting.device)) +
                "=" + setting.value + "\n";
    }
  }
  return config;
}

}  // namespace virtualcooler
