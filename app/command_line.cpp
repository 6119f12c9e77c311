#include "app/command_line.h"

#include <cstdio>

#include "app/app_identity.h"

namespace app {

namespace {

struct AllowedSetting {
  const char* name;
  const char* values[2];
};

constexpr AllowedSetting kAllowedSettings[] = {
    {"led_switch", {"1", "2"}},
    {"device_type", {"0", "1"}},
    {"tempe_type", {"0", "1"}},
};

CommandLine UsageError(const std::string& error) {
  CommandLine line;
  line.mode = ProgramMode::kUsageError;
  line.error = error;
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.empty()) return line;
  const std::string& first = args[0];
  if (first == "--headless" || first == "--help" || first == "--version" || first == "--print-udev-rules") {
    if (args.size() > 1) return UsageError("unexpected argument after " + first + ": " + args[1]);
    line.mode = first == "--headless"  ? ProgramMode::kHeadless
                : first == "--help"    ? ProgramMode::kHelp
                : first == "--version" ? ProgramMode::kVersion
                                       : ProgramMode::kPrintUdevRules;
    return line;
  }
  if (first == "--set" || first.rfind("--set=", 0) == 0) {
    std::string assignment;
    if (first == "--set") {
      if (args.size() < 2) return UsageError("--set needs NAME=VALUE");
      if (args.size() > 2) return UsageError("unexpected argument after --set: " + args[2]);
      assignment = args[1];
    } else {
      if (args.size() > 1) return UsageError("unexpected argument after --set: " + args[1]);
      assignment = first.substr(6);
    }
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) return UsageError("--set needs NAME=VALUE, got: " + assignment);
    line.mode = ProgramMode::kSet;
    line.settingName = assignment.substr(0, equals);
    line.settingValue = assignment.substr(equals + 1);
    return line;
  }
  // The window mode: its only argument is "-hide", found by a substring test anywhere.
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) == 0) return UsageError("unknown option: " + arg);
    if (arg.find("-hide") != std::string::npos) line.hide = true;
  }
  if (!line.hide) return UsageError("unknown argument: " + args[0]);
  return line;
}

bool ValidateSetting(const std::string& name, const std::string& value, std::string* error) {
  for (const AllowedSetting& allowed : kAllowedSettings) {
    if (name != allowed.name) continue;
    if (value == allowed.values[0] || value == allowed.values[1]) return true;
    if (error)
      *error = "invalid value for " + name + ": \"" + value + "\" (allowed: " + allowed.values[0] + " or " +
               allowed.values[1] + ")";
    return false;
  }
  if (error) *error = "unknown setting: \"" + name + "\" (known: led_switch, device_type, tempe_type)";
  return false;
}

std::string UsageText() {
  return "Usage: velmora-quillon [OPTION]\n"
         "Keeps the Velmora Quillon cooler's display showing the CPU or GPU temperature.\n"
         "\n"
         "  --headless            run the feed without a window (one instance per user);\n"
         "                        SIGHUP re-reads the settings, SIGTERM or SIGINT ends it\n"
         "  --set NAME=VALUE      store a setting; a running instance takes it at once:\n"
         "                          led_switch=1 (display lit) or 2 (dark)\n"
         "                          device_type=0 (CPU) or 1 (GPU)\n"
         "                          tempe_type=0 (Celsius) or 1 (Fahrenheit)\n"
         "  --print-udev-rules    print the udev rule that gives the logged-in user the cooler\n"
         "  --version             print the program's version\n"
         "  --help                print this help\n"
         "  -hide                 start the window hidden (window mode)\n";
}

std::string UdevRulesText() {
  char ids[64];
  std::snprintf(ids, sizeof ids, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"", kCoolerVendorId, kCoolerProductId);
  return std::string("# Velmora Quillon cooler: the logged-in user may drive its display.\n") +
         "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", " + ids + ", TAG+=\"uaccess\"\n";
}

}  // namespace app
