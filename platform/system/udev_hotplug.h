// The hot-plug source on Linux: a libudev monitor of the hidraw and usb subsystems whose events
// become device-interface changes reported through ReportDeviceChange.
#pragma once

#include <map>
#include <string>

#include "platform/system/device_notification.h"

struct udev;
struct udev_monitor;
struct udev_device;

namespace platform {

// What the translation needs to know of one udev event; filled from libudev, or by tests.
struct UdevEventFacts {
  std::string action;     // "add", "remove", ...
  std::string subsystem;  // "hidraw" or "usb"
  std::string devtype;    // "usb_device" for a whole USB device
  std::string devnode;    // "/dev/hidraw3", "/dev/bus/usb/001/005"; may be empty
  std::string hidId;      // the parent hid device's HID_ID, "0003:00001A2C:0000434D"
  std::string vendorId;   // ID_VENDOR_ID, "1a2c"
  std::string modelId;    // ID_MODEL_ID, "434d"
  std::string product;    // PRODUCT of a usb device, "1a2c/434d/100"
};

// Turns an event into the event code and interface record to report. The record's name is the
// device node followed by "#VID_xxxx&PID_xxxx" when the ids are known (the part before '#'
// leads back to the node), for example "/dev/hidraw3#VID_1A2C&PID_434D". Returns false for
// events that are no arrival or removal of a hidraw node or a whole USB device.
bool TranslateUdevEvent(const UdevEventFacts& facts, UINT* event, DEV_BROADCAST_DEVICEINTERFACE_W* record);

// "VID_1A2C&PID_434D" from the ids in any of the facts' forms; empty when none is given.
std::string VendorProductMarker(const UdevEventFacts& facts);

class UdevHotplugSource {
 public:
  UdevHotplugSource() = default;
  ~UdevHotplugSource() { Stop(); }
  UdevHotplugSource(const UdevHotplugSource&) = delete;
  UdevHotplugSource& operator=(const UdevHotplugSource&) = delete;

  // Opens the monitor; false (and no hot-plug, nothing open) when libudev or the netlink
  // socket is not available.
  bool Start();
  void Stop();
  // The descriptor to poll for readability; -1 when not started.
  int fd() const;
  // Receives the pending events and reports each through ReportDeviceChange (call it when fd()
  // is readable; it does not block).
  void Dispatch();

 private:
  UdevEventFacts FactsOf(udev_device* device);

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  // The ids of the hidraw nodes seen, since a removed node's parent can no longer be read.
  std::map<std::string, std::string> hidIdByNode_;
};

}  // namespace platform
