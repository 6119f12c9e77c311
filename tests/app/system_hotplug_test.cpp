#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/system/device_notification.h"
#include "platform/system/udev_hotplug.h"

namespace {

using platform::UdevEventFacts;

struct TranslateCase {
  const char* what;
  UdevEventFacts facts;
  bool reported;
  UINT event;
  bool hidClass;
  const wchar_t* name;
};

TEST(UdevHotplug, EventsBecomeInterfaceRecordsWithTheMarker) {
  // Facts: action, subsystem, devtype, devnode, hidId, vendorId, modelId, product.
  const TranslateCase cases[] = {
      {"hidraw arrival", {"add", "hidraw", "", "/dev/hidraw3", "0003:00001A2C:0000434D", "", "", ""},
       true, DBT_DEVICEARRIVAL, true, L"/dev/hidraw3#VID_1A2C&PID_434D"},
      {"hidraw removal", {"remove", "hidraw", "", "/dev/hidraw3", "0003:00001A2C:0000434D", "", "", ""},
       true, DBT_DEVICEREMOVECOMPLETE, true, L"/dev/hidraw3#VID_1A2C&PID_434D"},
      {"usb device by udev ids", {"add", "usb", "usb_device", "/dev/bus/usb/001/005", "", "1a2c", "434d", ""},
       true, DBT_DEVICEARRIVAL, false, L"/dev/bus/usb/001/005#VID_1A2C&PID_434D"},
      {"usb device removal by the kernel's PRODUCT", {"remove", "usb", "usb_device", "/dev/bus/usb/001/005", "", "", "", "1a2c/434d/100"},
       true, DBT_DEVICEREMOVECOMPLETE, false, L"/dev/bus/usb/001/005#VID_1A2C&PID_434D"},
      {"short ids are padded", {"add", "usb", "usb_device", "/dev/bus/usb/002/003", "", "", "", "46d/c52b/1201"},
       true, DBT_DEVICEARRIVAL, false, L"/dev/bus/usb/002/003#VID_046D&PID_C52B"},
      {"ids unknown: the node only", {"add", "hidraw", "", "/dev/hidraw9", "", "", "", ""},
       true, DBT_DEVICEARRIVAL, true, L"/dev/hidraw9"},
      {"malformed HID_ID ignored", {"add", "hidraw", "", "/dev/hidraw9", "0003:XYZ", "", "", ""},
       true, DBT_DEVICEARRIVAL, true, L"/dev/hidraw9"},
      {"usb interface: not reported", {"add", "usb", "usb_interface", "", "", "1a2c", "434d", ""}, false, 0, false, L""},
      {"change: not reported", {"change", "hidraw", "", "/dev/hidraw3", "0003:00001A2C:0000434D", "", "", ""}, false, 0, false, L""},
      {"bind: not reported", {"bind", "usb", "usb_device", "/dev/bus/usb/001/005", "", "1a2c", "434d", ""}, false, 0, false, L""},
      {"other subsystem: not reported", {"add", "input", "", "/dev/input/event3", "", "", "", ""}, false, 0, false, L""},
  };
  for (const TranslateCase& c : cases) {
    UINT event = 0;
    platform::DEV_BROADCAST_DEVICEINTERFACE_W record{};
    ASSERT_EQ(platform::TranslateUdevEvent(c.facts, &event, &record), c.reported) << c.what;
    if (!c.reported) continue;
    EXPECT_EQ(event, c.event) << c.what;
    EXPECT_EQ(record.dbcc_devicetype, DBT_DEVTYP_DEVICEINTERFACE) << c.what;
    EXPECT_TRUE(record.dbcc_classguid == (c.hidClass ? platform::GUID_DEVINTERFACE_HID : platform::GUID_DEVINTERFACE_USB_DEVICE)) << c.what;
    EXPECT_EQ(std::wstring(record.dbcc_name), std::wstring(c.name)) << c.what;
  }
}

TEST(UdevHotplug, StartsOrDeclinesWithoutCrashing) {
  // Build machines have no udev daemon; either way the source must be usable or cleanly absent.
  platform::UdevHotplugSource source;
  if (source.Start()) {
    EXPECT_GE(source.fd(), 0);
    source.Dispatch();  // nothing pending: returns at once
  } else {
    EXPECT_EQ(source.fd(), -1);
  }
  source.Stop();
  EXPECT_EQ(source.fd(), -1);
  source.Dispatch();
}

class Recorder : public platform::DeviceChangeRecipient {
 public:
  void OnDeviceChangeNotification(UINT event, const platform::DEV_BROADCAST_DEVICEINTERFACE_W& header) override {
    events.push_back(event);
    names.push_back(header.dbcc_name);
  }
  std::vector<UINT> events;
  std::vector<std::wstring> names;
};

TEST(DeviceNotification, DeliversByInterfaceClassUntilUnregistered) {
  Recorder hidOnly, both;
  HDEVNOTIFY a = platform::RegisterDeviceNotification(&hidOnly, platform::GUID_DEVINTERFACE_HID);
  HDEVNOTIFY b = platform::RegisterDeviceNotification(&both, platform::GUID_DEVINTERFACE_HID);
  HDEVNOTIFY c = platform::RegisterDeviceNotification(&both, platform::GUID_DEVINTERFACE_USB_DEVICE);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(platform::RegisterDeviceNotification(nullptr, platform::GUID_DEVINTERFACE_HID), nullptr);

  platform::ReportDeviceChange(DBT_DEVICEARRIVAL, platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_HID, L"h"));
  platform::ReportDeviceChange(DBT_DEVICEREMOVECOMPLETE, platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_USB_DEVICE, L"u"));
  platform::ReportDeviceChange(DBT_DEVICEARRIVAL, platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_DISK, L"d"));
  EXPECT_EQ(hidOnly.names, (std::vector<std::wstring>{L"h"}));
  EXPECT_EQ(both.names, (std::vector<std::wstring>{L"h", L"u"}));
  EXPECT_EQ(both.events, (std::vector<UINT>{DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}));

  EXPECT_TRUE(platform::UnregisterDeviceNotification(a));
  EXPECT_FALSE(platform::UnregisterDeviceNotification(a));
  platform::ReportDeviceChange(DBT_DEVICEARRIVAL, platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_HID, L"h2"));
  EXPECT_EQ(hidOnly.names.size(), 1u);
  EXPECT_EQ(both.names.size(), 3u);
  platform::UnregisterDeviceNotification(b);
  platform::UnregisterDeviceNotification(c);
}

TEST(DeviceNotification, LongNamesAreCutInsideTheRecord) {
  const std::wstring longName(2000, L'x');
  const auto record = platform::MakeDeviceInterfaceRecord(platform::GUID_DEVINTERFACE_HID, longName.c_str());
  EXPECT_EQ(std::wstring(record.dbcc_name).size(), static_cast<size_t>(platform::DEV_BROADCAST_DEVICEINTERFACE_W::kNameCapacity - 1));
}

}  // namespace
