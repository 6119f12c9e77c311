// Device-interface notifications: who is told when a device arrives or goes away.
// Every hot-plug source (the udev monitor, a test, a developer command) reports through
// ReportDeviceChange, so what a test drives is what a plugged cable drives.
#pragma once

#include "platform/base/win_types.h"
#include "platform/core/messages.h"  // WM_DEVICECHANGE and its DBT_ events

namespace platform {

// Interface classes (their well-known values).
constexpr GUID GUID_DEVINTERFACE_USB_DEVICE = {0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};
constexpr GUID GUID_DEVINTERFACE_DISK = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};
constexpr GUID GUID_DEVINTERFACE_HID = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID GUID_DEVINTERFACE_NET = {0xad498944, 0x762f, 0x11d0, {0x8d, 0xcb, 0x00, 0xc0, 0x4f, 0xc3, 0x58, 0x8c}};

// The device-interface broadcast record. The name is held inline with a fixed capacity rather
// than as a trailing open array, so that reading it never runs past a declared bound.
struct DEV_BROADCAST_DEVICEINTERFACE_W {
  static constexpr int kNameCapacity = 512;  // wide characters, the terminating zero included

  DWORD dbcc_size;
  DWORD dbcc_devicetype;
  DWORD dbcc_reserved;
  GUID dbcc_classguid;
  WCHAR dbcc_name[kNameCapacity];
};

// Fills a record for `interfaceClass` and `name`; a name longer than the capacity is cut.
DEV_BROADCAST_DEVICEINTERFACE_W MakeDeviceInterfaceRecord(const GUID& interfaceClass, const wchar_t* name);

// Whoever wants to hear of devices: the program's feed now; a window (which turns the call into
// WM_DEVICECHANGE) once the windowing core registers windows.
class DeviceChangeRecipient {
 public:
  virtual ~DeviceChangeRecipient() = default;
  // Called on the thread that reports the change; `event` is DBT_DEVICEARRIVAL or
  // DBT_DEVICEREMOVECOMPLETE, `header` lives only for the call.
  virtual void OnDeviceChangeNotification(UINT event, const DEV_BROADCAST_DEVICEINTERFACE_W& header) = 0;
};

// Asks for the changes of one interface class. Returns a handle for Unregister, or null for a
// null recipient. A recipient registered for several classes hears each change once per class
// that matches (as with the original, a change carries exactly one class).
HDEVNOTIFY RegisterDeviceNotification(DeviceChangeRecipient* recipient, const GUID& interfaceClass);
// Ends one registration; TRUE when it was found. Must not race a report to the same recipient
// that is being destroyed: unregister on the thread that reports (the main loop).
BOOL UnregisterDeviceNotification(HDEVNOTIFY handle);

// The one entry point of every hot-plug source: delivers the change to every recipient whose
// class matches the record's class, in registration order. Records of another device type are
// delivered as well; recipients test the type as the original did.
void ReportDeviceChange(UINT event, const DEV_BROADCAST_DEVICEINTERFACE_W& header);

}  // namespace platform
