#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/monitor_server.h"

namespace {

using app::ProgramMode;

struct LineCase {
  std::vector<std::string> args;
  ProgramMode mode;
  bool hide;
  const char* name;
  const char* value;
};

TEST(CommandLine, Modes) {
  const LineCase cases[] = {
      {{}, ProgramMode::kWindow, false, "", ""},
      {{"-hide"}, ProgramMode::kWindow, true, "", ""},
      {{"-hideaway"}, ProgramMode::kWindow, true, "", ""},
      {{"x-hide-y", "other"}, ProgramMode::kWindow, true, "", ""},
      {{"-HIDE"}, ProgramMode::kUsageError, false, "", ""},
      {{"--headless"}, ProgramMode::kHeadless, false, "", ""},
      {{"--help"}, ProgramMode::kHelp, false, "", ""},
      {{"--version"}, ProgramMode::kVersion, false, "", ""},
      {{"--print-udev-rules"}, ProgramMode::kPrintUdevRules, false, "", ""},
      {{"--set", "tempe_type=1"}, ProgramMode::kSet, false, "tempe_type", "1"},
      {{"--set=led_switch=2"}, ProgramMode::kSet, false, "led_switch", "2"},
      {{"--set", "device_type="}, ProgramMode::kSet, false, "device_type", ""},
      {{"--set"}, ProgramMode::kUsageError, false, "", ""},
      {{"--set", "tempe_type"}, ProgramMode::kUsageError, false, "", ""},
      {{"--set", "a=1", "b=2"}, ProgramMode::kUsageError, false, "", ""},
      {{"--headless", "--version"}, ProgramMode::kUsageError, false, "", ""},
      {{"--bogus"}, ProgramMode::kUsageError, false, "", ""},
      {{"stray"}, ProgramMode::kUsageError, false, "", ""},
  };
  for (const LineCase& c : cases) {
    const app::CommandLine line = app::ParseCommandLine(c.args);
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    EXPECT_EQ(line.mode, c.mode) << joined;
    EXPECT_EQ(line.hide, c.hide) << joined;
    EXPECT_EQ(line.settingName, c.name) << joined;
    EXPECT_EQ(line.settingValue, c.value) << joined;
    if (c.mode == ProgramMode::kUsageError) {
      EXPECT_FALSE(line.error.empty()) << joined;
    }
  }
}

TEST(CommandLine, SettingValues) {
  const struct {
    const char* name;
    const char* value;
    bool valid;
  } cases[] = {
      {"led_switch", "1", true},   {"led_switch", "2", true},   {"led_switch", "0", false},
      {"device_type", "0", true},  {"device_type", "1", true},  {"device_type", "2", false},
      {"tempe_type", "0", true},   {"tempe_type", "1", true},   {"tempe_type", " 1", false},
      {"tempe_type", "", false},   {"tempe_type", "01", false}, {"TEMPE_TYPE", "1", false},
      {"volume", "1", false},      {"", "1", false},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(app::ValidateSetting(c.name, c.value, &error), c.valid) << c.name << "=" << c.value;
    EXPECT_EQ(error.empty(), c.valid) << c.name << "=" << c.value;
  }
}

TEST(CommandLine, UdevRuleNamesTheCoolerAndTheSeatUser) {
  const std::string rule = app::UdevRulesText();
  EXPECT_NE(rule.find("KERNEL==\"hidraw*\""), std::string::npos);
  EXPECT_NE(rule.find("ATTRS{idVendor}==\"1a2c\""), std::string::npos);
  EXPECT_NE(rule.find("ATTRS{idProduct}==\"434d\""), std::string::npos);
  EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);
}

TEST(MonitorServer, PathsFollowTheTwoBuildRule) {
  const CString folder = L"/opt/vq/";
  for (int attempt = 0; attempt < 12; ++attempt) {
    const CString expected = attempt < 8 ? L"/opt/vq/Senvara/Thermwatch" : L"/opt/vq/SenvaraWin7/Thermwatch";
    EXPECT_EQ(app::MonitorServerPath(attempt, true, folder), expected) << attempt;
    EXPECT_EQ(app::MonitorServerPath(attempt, false, folder), CString(L"/opt/vq/SenvaraWin7/Thermwatch")) << attempt;
  }
  EXPECT_TRUE(app::IsWindows10OrLater()) << "any kernel whose release can be read counts as current";
}

}  // namespace
