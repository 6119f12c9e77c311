// The pieces of the program that keep the cooler's display fed: the settings fields, the worker
// with its task bodies and the feed step, the device refresh and notifications, the view of the
// hardware data map and the server watchdog. The headless program runs this class as it is; the
// main window derives from it and adds its window, controls and tray icon.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "app/display_report.h"
#include "app/thread_basic.h"
#include "platform/base/cstring.h"
#include "platform/system/device_notification.h"
#include "platform/system/shared_memory.h"

namespace app {

// The worker's task codes.
enum TaskCode : int32_t {
  TASK_REFRESH_DEVICES = 1,
  TASK_CHECK_SOFTWARE = 3,
  TASK_CHECK_FIRMWARE = 4,
  TASK_CHECK_SOFTWARE_SILENT = 5,
  TASK_CHECK_FIRMWARE_SILENT = 6,
  TASK_INSTALL_SOFTWARE = 7,
  TASK_INSTALL_FIRMWARE = 8,
};

// The feed's pace: the sleep at the end of each step.
constexpr uint32_t kFeedPauseMs = 1000;
// The watchdog: its timer id and period, and the tick count after which it stops.
constexpr unsigned kWatchdogTimerId = 300;
constexpr uint32_t kWatchdogPeriodMs = 3000;
constexpr int32_t kWatchdogLastCounter = 10;

class CoolerFeed : public CThreadBasic {
 public:
  CoolerFeed() = default;
  ~CoolerFeed() override;

  // Settings: ledSwitch (0 read means never stored: "1" is written and 1 taken), deviceType,
  // tempeType. Main thread.
  void LoadSettings();
  FeedSettings CurrentSettings() const;

  // One step of the worker: one task, or one feed step while a cooler is present, or nothing.
  void Run() override;

  // One feed step: SendFeedReport, then the feed's pause (cut short by StopWorker).
  void FeedStep();
  // Builds the display report from the map and the settings and writes it to every open cooler.
  // Returns what the device list's write returned.
  bool SendFeedReport();

  // Task 1: close and re-open every cooler, update the device label, open the map if needed.
  virtual void RefreshDevices();
  // Tasks 3 to 8 belong to the update feature, which this program does not have yet: they do
  // nothing here, and an override supplies them.
  virtual void CheckSoftwareVersion(bool reportAlways) {}
  virtual void CheckFirmwareVersion(bool reportAlways) {}
  virtual void InstallSoftwareUpdate() {}
  virtual void InstallFirmwareUpdate() {}

  // The WM_DEVICECHANGE handling: arrival and removal of device interfaces go to OnDeviceChange,
  // everything else is dropped. Main thread.
  void HandleDeviceChangeMessage(UINT event, const platform::DEV_BROADCAST_DEVICEINTERFACE_W* header);
  // Queues refreshes for the cooler's interfaces (two for its display collection's arrival) and
  // clears devicePresent at once on their removal. Main thread.
  void OnDeviceChange(const platform::DEV_BROADCAST_DEVICEINTERFACE_W* header, UINT event);

  // Opens the view of the hardware data map if there is none yet; true when one exists.
  bool OpenDataMap();

  // One tick of the server watchdog (timer 300): starts the server while the map shows no data,
  // then counts. Returns false once the timer is to stop. Main thread.
  bool WatchdogStep();
  // The watchdog's launch: LaunchMonitorServer.
  virtual void StartMonitorServer(int32_t attempt);

  // The device label: "Device:%d". The window shows it; here it is kept for status queries.
  virtual void SetDeviceLabelText(const CString& text);
  CString DeviceLabelText() const;

  // Whether `path` (a device-interface name, up to '#') is a display collection.
  virtual bool ProbeDisplayCollection(const CString& path);

  std::atomic<int32_t> ledSwitch{1};
  std::atomic<int32_t> deviceType{0};
  std::atomic<int32_t> tempeType{0};
  std::atomic<bool> devicePresent{false};
  // The view the feed and the watchdog read: null until the map is first opened, then fixed.
  std::atomic<const unsigned char*> mapView{nullptr};
  int32_t watchdogCounter = 0;  // ticks of the watchdog so far

 private:
  platform::SharedMemory dataMap_;  // the map's handle and raw view; written by the worker only
  mutable std::mutex labelLock_;
  CString deviceLabel_ = L"Device:";
};

// Whether the device-interface name `path` leads to a HID collection with the display's usage
// page and usage. The name may carry "#..." after the device node; that part is ignored.
bool IsDisplayCollection(const CString& path);

}  // namespace app
