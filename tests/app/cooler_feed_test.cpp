#include "app/cooler_feed.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/hid_device_list.h"
#include "platform/system/hardware_map_layout.h"
#include "platform/system/shared_memory.h"
#include "test_support.h"
#include "tools/virtualcooler/virtual_cooler_hooks.h"

namespace {

using test_support::ScopedEnv;
using test_support::TempFolder;

std::vector<int32_t> Queue(app::CoolerFeed& feed) {
  std::lock_guard<std::mutex> hold(feed.taskLock);
  return std::vector<int32_t>(feed.taskQueue.begin(), feed.taskQueue.end());
}

class ProbeFeed : public app::CoolerFeed {
 public:
  bool ProbeDisplayCollection(const CString& path) override {
    probed.push_back(path);
    return displayCollection;
  }
  bool displayCollection = false;
  std::vector<CString> probed;
};

struct ChangeCase {
  const char* what;
  UINT event;
  GUID interfaceClass;
  const wchar_t* name;
  bool displayCollection;
  bool presentBefore;
  std::vector<int32_t> queued;
  bool presentAfter;
};

TEST(DeviceChange, NotificationsQueueRefreshesForTheCoolerOnly) {
  const GUID hid = platform::GUID_DEVINTERFACE_HID;
  const GUID usb = platform::GUID_DEVINTERFACE_USB_DEVICE;
  const ChangeCase cases[] = {
      {"display collection arrives: two refreshes", DBT_DEVICEARRIVAL, hid, L"/dev/hidraw3#VID_1A2C&PID_434D", true, false, {1, 1}, false},
      {"other collection arrives: one refresh", DBT_DEVICEARRIVAL, hid, L"/dev/hidraw4#VID_1A2C&PID_434D", false, true, {1}, true},
      {"usb device arrives, lower case name", DBT_DEVICEARRIVAL, usb, L"/dev/bus/usb/001/005#vid_1a2c&pid_434d", false, false, {1}, false},
      {"removal clears the flag at once", DBT_DEVICEREMOVECOMPLETE, hid, L"/dev/hidraw3#VID_1A2C&PID_434D", true, true, {1}, false},
      {"another device: nothing", DBT_DEVICEARRIVAL, usb, L"/dev/bus/usb/001/006#VID_0781&PID_5567", true, true, {}, true},
      {"another device removed: nothing", DBT_DEVICEREMOVECOMPLETE, hid, L"/dev/hidraw1#VID_046D&PID_C52B", true, true, {}, true},
      {"empty name: nothing", DBT_DEVICEARRIVAL, hid, L"", true, true, {}, true},
      {"other events: nothing", 0x8001, hid, L"/dev/hidraw3#VID_1A2C&PID_434D", true, true, {}, true},
  };
  for (const ChangeCase& c : cases) {
    ProbeFeed feed;
    feed.displayCollection = c.displayCollection;
    feed.devicePresent = c.presentBefore;
    const auto record = platform::MakeDeviceInterfaceRecord(c.interfaceClass, c.name);
    feed.HandleDeviceChangeMessage(c.event, &record);
    EXPECT_EQ(Queue(feed), c.queued) << c.what;
    EXPECT_EQ(feed.devicePresent.load(), c.presentAfter) << c.what;
  }
}

TEST(DeviceChange, ArrivalProbesTheNameAsReceived) {
  ProbeFeed feed;
  const auto record = platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_HID, L"/dev/hidraw3#vid_1a2c&pid_434d");
  feed.HandleDeviceChangeMessage(DBT_DEVICEARRIVAL, &record);
  ASSERT_EQ(feed.probed.size(), 1u);
  EXPECT_EQ(feed.probed[0], CString(L"/dev/hidraw3#vid_1a2c&pid_434d"));
}

TEST(DeviceChange, NullHeaderAndOtherDeviceTypesAreDropped) {
  ProbeFeed feed;
  feed.OnDeviceChange(nullptr, DBT_DEVICEARRIVAL);
  auto record = platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_HID, L"/dev/hidraw3#VID_1A2C&PID_434D");
  record.dbcc_devicetype = 2;  // a volume, say
  feed.HandleDeviceChangeMessage(DBT_DEVICEARRIVAL, &record);
  EXPECT_TRUE(Queue(feed).empty());
}

TEST(DeviceChange, DisplayCollectionTestFailsForNodesThatAreNoHidraw) {
  TempFolder folder("probe");
  const std::string plainFile = folder.path() + "/hidraw0";
  test_support::WriteText(plainFile, "not a device");
  EXPECT_FALSE(app::IsDisplayCollection(FromUtf8(plainFile + "#VID_1A2C&PID_434D")));
  EXPECT_FALSE(app::IsDisplayCollection(L"/dev/no-such-hidraw#VID_1A2C&PID_434D"));
  EXPECT_FALSE(app::IsDisplayCollection(L"#VID_1A2C&PID_434D"));
  EXPECT_FALSE(app::IsDisplayCollection(L""));
}

// The watchdog with its launches recorded.
class WatchdogFeed : public app::CoolerFeed {
 public:
  void StartMonitorServer(int32_t attempt) override { attempts.push_back(attempt); }
  std::vector<int32_t> attempts;
};

void SetDelivering(std::vector<unsigned char>& map, float value) {
  std::memcpy(&map[hardware_map::kCpuDelivering], &value, sizeof value);
}

TEST(Watchdog, TicksTwelveTimesAndLaunchesWhileNoDataArrives) {
  WatchdogFeed feed;
  std::vector<unsigned char> map(hardware_map::kSize, 0);
  feed.mapView = map.data();
  int ticks = 0;
  while (feed.WatchdogStep()) ++ticks;
  ++ticks;  // the tick that stopped the timer
  EXPECT_EQ(ticks, 12);
  EXPECT_EQ(feed.attempts, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(Watchdog, NoLaunchOnceDataArrivesOrWhenTheValueIsNotANumber) {
  const struct {
    float delivering;
    bool launches;
  } cases[] = {{0.0f, true}, {-1.0f, true}, {-INFINITY, true}, {0.5f, false}, {45.0f, false}, {NAN, false}, {INFINITY, false}};
  for (const auto& c : cases) {
    WatchdogFeed feed;
    std::vector<unsigned char> map(hardware_map::kSize, 0);
    SetDelivering(map, c.delivering);
    feed.mapView = map.data();
    EXPECT_TRUE(feed.WatchdogStep());
    EXPECT_EQ(feed.attempts.size(), c.launches ? 1u : 0u) << c.delivering;
  }
}

TEST(Watchdog, WithoutMapViewNothingStartsButTheCounterRunsOut) {
  WatchdogFeed feed;
  int ticks = 1;
  while (feed.WatchdogStep()) ++ticks;
  EXPECT_EQ(ticks, 12);
  EXPECT_TRUE(feed.attempts.empty());
}

// The refresh and the feed against simulated coolers, with a map block of this test's own.
class FeedWithCoolers : public ::testing::Test {
 protected:
  FeedWithCoolers()
      : folder_("coolers"),
        mapName_("vq_app_test_map_" + std::to_string(getpid())),
        mapEnv_("VQ_HARDWARE_MAP_NAME", mapName_),
        log_(folder_.path() + "/reports.log"),
        logEnv_("VIRTUAL_COOLER_LOG", log_),
        coolerEnv_("VIRTUAL_COOLER", "count=2,control=" + folder_.path() + "/control") {
    virtual_cooler_reset_for_tests();
  }
  ~FeedWithCoolers() override {
    CHidDeviceList::GetDeviceList().CloseAll();
    platform::UnlinkSharedMemory(mapName_.c_str());
  }
  std::vector<std::string> LogLines() {
    std::istringstream in(test_support::ReadText(log_));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempFolder folder_;
  std::string mapName_;
  ScopedEnv mapEnv_;
  std::string log_;
  ScopedEnv logEnv_;
  ScopedEnv coolerEnv_;
};

std::string ReportHex(const char* digits) {
  std::string hex = "07ffff";
  hex += digits;
  hex += std::string(2 * 59, '0');
  return hex;
}

TEST_F(FeedWithCoolers, RefreshOpensCoolersAndMapThenFeedReachesEveryCooler) {
  app::CoolerFeed feed;
  feed.RefreshDevices();
  EXPECT_TRUE(feed.devicePresent.load());
  EXPECT_EQ(feed.DeviceLabelText(), CString(L"Device:2"));
  ASSERT_NE(feed.mapView.load(), nullptr);

  // The server's side of the block.
  platform::SharedMemory server;
  ASSERT_TRUE(server.Open(mapName_.c_str(), hardware_map::kSize, true));
  const float cpu = 45.9f;
  std::memcpy(static_cast<unsigned char*>(server.address()) + hardware_map::kCpuTemperature, &cpu, 4);

  EXPECT_TRUE(feed.SendFeedReport());
  feed.tempeType = 1;
  EXPECT_TRUE(feed.SendFeedReport());
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "0 " + ReportHex("000405"));
  EXPECT_EQ(lines[1], "1 " + ReportHex("000405"));
  EXPECT_EQ(lines[2], "0 " + ReportHex("010103"));
  EXPECT_EQ(lines[3], "1 " + ReportHex("010103"));
}

TEST_F(FeedWithCoolers, RefreshWithoutCoolersLeavesFeedOff) {
  test_support::WriteText(folder_.path() + "/control", "count=0\n");
  app::CoolerFeed feed;
  feed.devicePresent = true;
  feed.RefreshDevices();
  EXPECT_FALSE(feed.devicePresent.load());
  EXPECT_EQ(feed.DeviceLabelText(), CString(L"Device:0"));
  EXPECT_NE(feed.mapView.load(), nullptr) << "the map is opened whether or not a cooler is there";
  feed.Run();  // empty queue, no cooler: no report
  EXPECT_TRUE(LogLines().empty());
}

}  // namespace
