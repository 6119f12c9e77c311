#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/cooler_feed.h"
#include "app/settings_store.h"
#include "platform/system/settings_store.h"
#include "test_support.h"

namespace {

using test_support::ReadText;
using test_support::ScopedEnv;
using test_support::TempFolder;
using test_support::WriteText;

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : folder_("settings"), env_("XDG_CONFIG_HOME", folder_.path()) {}
  std::string KeyFolder() const { return folder_.path() + "/Velmora Quillon"; }
  std::string File() const { return KeyFolder() + "/settings"; }

  TempFolder folder_;
  ScopedEnv env_;
};

TEST(SettingParse, LikeTheWideIntegerConversion) {
  const struct {
    const wchar_t* text;
    int32_t value;
  } cases[] = {
      {L"1", 1},          {L"  7", 7},   {L"\t-3", -3},     {L"+2", 2},   {L"12abc", 12},
      {L"abc", 0},        {L"", 0},      {L"-", 0},         {L"0x10", 0}, {L"99999999999", 2147483647},
      {L"-99999999999", -2147483647 - 1}, {L"\x01", 0},     {L"2 3", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ParseSettingInteger(c.text), c.value) << ToUtf8(c.text);
}

TEST_F(SettingsTest, FirstRunCreatesKeyAndStoresLedSwitchOnly) {
  app::CoolerFeed feed;
  feed.LoadSettings();
  EXPECT_TRUE(std::filesystem::is_directory(KeyFolder()));
  EXPECT_EQ(ReadText(File()), "led_switch=1\n");
  EXPECT_EQ(feed.ledSwitch.load(), 1);
  EXPECT_EQ(feed.deviceType.load(), 0);
  EXPECT_EQ(feed.tempeType.load(), 0);
}

TEST_F(SettingsTest, StoredValuesAreTakenAsTheyAre) {
  std::filesystem::create_directories(KeyFolder());
  WriteText(File(), "led_switch=3\ndevice_type=7\ntempe_type=2\n");
  app::CoolerFeed feed;
  feed.LoadSettings();
  EXPECT_EQ(feed.ledSwitch.load(), 3);
  EXPECT_EQ(feed.deviceType.load(), 7);
  EXPECT_EQ(feed.tempeType.load(), 2);
  EXPECT_EQ(ReadText(File()), "led_switch=3\ndevice_type=7\ntempe_type=2\n");
}

TEST_F(SettingsTest, LedSwitchZeroOrEmptyIsRewrittenAsOne) {
  for (const char* stored : {"led_switch=0\n", "led_switch=\n"}) {
    std::filesystem::create_directories(KeyFolder());
    WriteText(File(), stored);
    app::CoolerFeed feed;
    feed.LoadSettings();
    EXPECT_EQ(feed.ledSwitch.load(), 1) << stored;
    EXPECT_EQ(ReadText(File()), "led_switch=1\n") << stored;
  }
}

TEST_F(SettingsTest, WriteKeepsOtherValuesAndForeignLinesAndLeavesNoTemporary) {
  std::filesystem::create_directories(KeyFolder());
  WriteText(File(), "# a note\ngarbage without equals\ndevice_type=1\ntempe_type=0\nother=x=y\n");
  app::WriteSetting(L"tempe_type", L"1");
  app::WriteSetting(L"led_switch", L"2");
  EXPECT_EQ(ReadText(File()), "# a note\ngarbage without equals\ndevice_type=1\ntempe_type=1\nother=x=y\nled_switch=2\n");
  EXPECT_EQ(app::ReadSetting(L"tempe_type"), 1);
  EXPECT_EQ(app::ReadSetting(L"device_type"), 1);
  EXPECT_EQ(app::ReadSetting(L"missing"), 0);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KeyFolder())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1) << "only the settings file stays in the key's folder";
}

TEST_F(SettingsTest, DuplicateLinesCollapseToTheFirst) {
  std::filesystem::create_directories(KeyFolder());
  WriteText(File(), "tempe_type=0\ntempe_type=1\n");
  EXPECT_EQ(app::ReadSetting(L"tempe_type"), 0);
  app::WriteSetting(L"tempe_type", L"1");
  EXPECT_EQ(ReadText(File()), "tempe_type=1\n");
}

TEST_F(SettingsTest, WriteWithoutKeyDoesNothing) {
  app::WriteSetting(L"tempe_type", L"1");
  EXPECT_FALSE(std::filesystem::exists(KeyFolder()));
}

TEST_F(SettingsTest, LinesThatCannotBeReadBackAreRefused) {
  platform::SettingsKey key;
  ASSERT_EQ(key.Create(L"Velmora Quillon"), platform::ERROR_SUCCESS);
  EXPECT_EQ(key.SetValue(L"tempe_type", L"1\nled_switch=2"), platform::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(key.SetValue(L"a=b", L"1"), platform::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(key.SetValue(L"", L"1"), platform::ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(SettingsTest, KeyNamesCannotLeaveTheConfigFolder) {
  platform::SettingsKey key;
  EXPECT_NE(key.Create(L"../escape"), platform::ERROR_SUCCESS);
  EXPECT_NE(key.Open(L".."), platform::ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(folder_.path() + "/../escape"));
}

TEST_F(SettingsTest, OnlyTheFirst127CharactersOfAValueCount) {
  std::filesystem::create_directories(KeyFolder());
  WriteText(File(), "device_type=" + std::string(126, ' ') + "5\ntempe_type=" + std::string(127, ' ') + "5\n");
  EXPECT_EQ(app::ReadSetting(L"device_type"), 5);
  EXPECT_EQ(app::ReadSetting(L"tempe_type"), 0);
}

TEST(SettingsFolder, FollowsXdgConfigHomeElseHome) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(platform::UserConfigFolder(), "/somewhere/config");
  }
  ScopedEnv relative("XDG_CONFIG_HOME", "relative/path");  // not absolute: ignored
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(platform::UserConfigFolder(), "/home/someone/.config");
}

}  // namespace
