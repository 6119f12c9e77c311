#include "app/cooler_feed.h"

#include <cmath>

#include "app/app_identity.h"
#include "app/hid_device_list.h"
#include "app/monitor_server.h"
#include "app/settings_store.h"
#include "platform/system/hardware_map_layout.h"
#include "platform/system/hidraw.h"

namespace app {

CoolerFeed::~CoolerFeed() = default;

void CoolerFeed::LoadSettings() {
  int32_t led = ReadSetting(kLedSwitchSetting);
  if (led == 0) {
    WriteSetting(kLedSwitchSetting, L"1");
    led = 1;
  }
  ledSwitch.store(led, std::memory_order_relaxed);
  deviceType.store(ReadSetting(kDeviceTypeSetting), std::memory_order_relaxed);
  tempeType.store(ReadSetting(kTempeTypeSetting), std::memory_order_relaxed);
}

FeedSettings CoolerFeed::CurrentSettings() const {
  FeedSettings settings;
  settings.ledSwitch = ledSwitch.load(std::memory_order_relaxed);
  settings.deviceType = deviceType.load(std::memory_order_relaxed);
  settings.tempeType = tempeType.load(std::memory_order_relaxed);
  return settings;
}

void CoolerFeed::Run() {
  int32_t code = 0;
  if (TakeTask(&code)) {
    switch (code) {
      case TASK_REFRESH_DEVICES:
        RefreshDevices();
        break;
      case TASK_CHECK_SOFTWARE:
        CheckSoftwareVersion(true);
        break;
      case TASK_CHECK_FIRMWARE:
        CheckFirmwareVersion(true);
        break;
      case TASK_CHECK_SOFTWARE_SILENT:
        CheckSoftwareVersion(false);
        break;
      case TASK_CHECK_FIRMWARE_SILENT:
        CheckFirmwareVersion(false);
        break;
      case TASK_INSTALL_SOFTWARE:
        InstallSoftwareUpdate();
        break;
      case TASK_INSTALL_FIRMWARE:
        InstallFirmwareUpdate();
        break;
      default:
        break;  // no task body: dropped
    }
    return;
  }
  if (devicePresent.load()) FeedStep();
}

bool CoolerFeed::SendFeedReport() {
  unsigned char report[kDisplayReportSize];
  BuildDisplayReport(mapView.load(std::memory_order_acquire), CurrentSettings(), report);
  return CHidDeviceList::GetDeviceList().WriteAll(report);
}

void CoolerFeed::FeedStep() {
  SendFeedReport();
  Pause(kFeedPauseMs);
}

void CoolerFeed::RefreshDevices() {
  devicePresent.store(false);
  CHidDeviceList& list = CHidDeviceList::GetDeviceList();
  list.ClearFilters();
  list.AddFilter(kCoolerVendorId, kCoolerProductId, CString(), 1);
  list.CloseAll();
  list.OpenAll();
  list.SetOpened(true);
  const int count = list.Count();
  CString label;
  if (count >= 1) {
    devicePresent.store(true);
    label.Format(L"Device:%d", count);
  } else {
    label = L"Device:0";
  }
  SetDeviceLabelText(label);
  OpenDataMap();
}

bool CoolerFeed::OpenDataMap() {
  if (mapView.load(std::memory_order_acquire)) return true;
  if (!dataMap_.Open(hardware_map::Name(), hardware_map::kSize, false)) return false;
  mapView.store(static_cast<const unsigned char*>(dataMap_.address()), std::memory_order_release);
  return true;
}

void CoolerFeed::HandleDeviceChangeMessage(UINT event, const platform::DEV_BROADCAST_DEVICEINTERFACE_W* header) {
  if ((event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) && header &&
      header->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
    OnDeviceChange(header, event);
}

void CoolerFeed::OnDeviceChange(const platform::DEV_BROADCAST_DEVICEINTERFACE_W* header, UINT event) {
  if (!header) return;
  const CString received(header->dbcc_name);
  CString name = received;
  name.MakeUpper();
  if (name.Find(kCoolerMarker) < 0) return;
  if (event == DBT_DEVICEARRIVAL) {
    if (ProbeDisplayCollection(received)) PostTask(TASK_REFRESH_DEVICES);
  } else if (event == DBT_DEVICEREMOVECOMPLETE) {
    devicePresent.store(false);
  }
  PostTask(TASK_REFRESH_DEVICES);
}

bool CoolerFeed::WatchdogStep() {
  if (const unsigned char* view = mapView.load(std::memory_order_acquire)) {
    // Not delivering: 0 or below; a value that is not a number counts as delivering.
    const float delivering = ReadMapFloat(view, hardware_map::kCpuDelivering);
    if (delivering <= 0.0f) StartMonitorServer(watchdogCounter);
  }
  const int32_t before = watchdogCounter++;
  return !(before > kWatchdogLastCounter);
}

void CoolerFeed::StartMonitorServer(int32_t attempt) { LaunchMonitorServer(attempt); }

void CoolerFeed::SetDeviceLabelText(const CString& text) {
  std::lock_guard<std::mutex> hold(labelLock_);
  deviceLabel_ = text;
}

CString CoolerFeed::DeviceLabelText() const {
  std::lock_guard<std::mutex> hold(labelLock_);
  return deviceLabel_;
}

bool CoolerFeed::ProbeDisplayCollection(const CString& path) { return IsDisplayCollection(path); }

bool IsDisplayCollection(const CString& path) {
  CString node = path;
  const int mark = node.Find(L'#');
  if (mark >= 0) node = node.Left(mark);
  if (node.IsEmpty()) return false;
  std::vector<platform::HidTopLevelUsage> usages;
  if (!platform::ReadHidrawTopLevelUsages(ToUtf8(node.str()).c_str(), &usages)) return false;
  // A hidraw node carries every top-level collection of its interface; the display collection
  // may be any of them.
  for (const platform::HidTopLevelUsage& usage : usages)
    if (usage.usagePage == static_cast<unsigned>(kDisplayUsagePage) && usage.usage == static_cast<unsigned>(kDisplayUsage))
      return true;
  return false;
}

}  // namespace app
