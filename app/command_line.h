// The program's command line.
#pragma once

#include <string>
#include <vector>

namespace app {

enum class ProgramMode {
  kWindow,          // no option (or "-hide"): the window and tray
  kHeadless,        // --headless
  kSet,             // --set NAME=VALUE
  kHelp,            // --help
  kVersion,         // --version
  kPrintUdevRules,  // --print-udev-rules
  kUsageError,      // anything else
};

struct CommandLine {
  ProgramMode mode = ProgramMode::kWindow;
  bool hide = false;          // the window mode's "-hide" (a substring test, as the log-on task uses)
  std::string settingName;    // --set
  std::string settingValue;   // --set
  std::string error;          // kUsageError: what was wrong
};

// Parses the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Whether `value` is a valid stored text for setting `name` ("led_switch" 1 or 2, "device_type"
// 0 or 1, "tempe_type" 0 or 1). On refusal `error` says why, in one line.
bool ValidateSetting(const std::string& name, const std::string& value, std::string* error);

std::string UsageText();
std::string UdevRulesText();

}  // namespace app
