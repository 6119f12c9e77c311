// A test's own virtual coolers: a private folder for the report log and the control file, the
// configuration put into VIRTUAL_COOLER, and the device list brought back to its unopened state.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/hid_device_list.h"
#include "tools/virtualcooler/virtual_cooler_hooks.h"

class VirtualCoolerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() /
                           ("hid_tests-" + std::to_string(getpid()) + "-XXXXXX")).string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "no temporary folder";
    folder_ = pattern;
    logPath_ = folder_ / "reports.log";
    controlPath_ = folder_ / "control";
    ASSERT_EQ(setenv("VIRTUAL_COOLER_LOG", logPath_.c_str(), 1), 0);
  }

  void TearDown() override {
    // Leaves the list as a fresh process has it, for runs of several tests in one process.
    CHidDeviceList& list = CHidDeviceList::GetDeviceList();
    list.CloseAll();
    list.ClearFilters();
    EXPECT_EQ(virtual_cooler_stat("open_handles"), 0) << "devices left open";
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Sets the coolers for this test; a control file in the test's folder may override them.
  void Configure(const std::string& settings) {
    std::string text = settings.empty() ? "" : settings + ",";
    text += "control=" + controlPath_.string();
    ASSERT_EQ(setenv("VIRTUAL_COOLER", text.c_str(), 1), 0);
    virtual_cooler_reset_for_tests();
  }

  void WriteControl(const std::string& text) {
    std::ofstream(controlPath_) << text;
  }

  void RemoveControl() { std::filesystem::remove(controlPath_); }

  // The refresh task's sequence on the device list.
  static CHidDeviceList& Refresh() {
    CHidDeviceList& list = CHidDeviceList::GetDeviceList();
    list.ClearFilters();
    list.AddFilter(0x1A2C, 0x434D, L"", 1);
    list.CloseAll();
    list.OpenAll();
    list.SetOpened(true);
    return list;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(logPath_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // A log line: the cooler's index and the bytes in lowercase hex.
  static std::string LogLine(int cooler, const std::vector<unsigned char>& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string line = std::to_string(cooler) + " ";
    for (unsigned char b : bytes) {
      line += kHex[b >> 4];
      line += kHex[b & 15];
    }
    return line;
  }

  // The display report for the digits 0, 4, 5: 07 FF FF 00 04 05 and zeros, 64 bytes.
  static std::vector<unsigned char> DisplayReport() {
    std::vector<unsigned char> report(64, 0);
    report[0] = 0x07;
    report[1] = report[2] = 0xFF;
    report[4] = 4;
    report[5] = 5;
    return report;
  }

  std::filesystem::path folder_;
  std::filesystem::path logPath_;
  std::filesystem::path controlPath_;
};
