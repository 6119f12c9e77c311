#include "platform/system/device_notification.h"

#include <cwchar>
#include <vector>

#include "platform/base/process_state.h"

namespace platform {

DEV_BROADCAST_DEVICEINTERFACE_W MakeDeviceInterfaceRecord(const GUID& interfaceClass, const wchar_t* name) {
  DEV_BROADCAST_DEVICEINTERFACE_W record{};
  record.dbcc_size = sizeof(record);
  record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  record.dbcc_classguid = interfaceClass;
  if (name) std::wcsncpy(record.dbcc_name, name, DEV_BROADCAST_DEVICEINTERFACE_W::kNameCapacity - 1);
  record.dbcc_name[DEV_BROADCAST_DEVICEINTERFACE_W::kNameCapacity - 1] = L'\0';
  return record;
}

HDEVNOTIFY RegisterDeviceNotification(DeviceChangeRecipient* recipient, const GUID& interfaceClass) {
  if (!recipient) return nullptr;
  SystemState& state = State().system;
  std::lock_guard<std::mutex> hold(state.deviceNotificationLock);
  DeviceNotificationEntry entry;
  entry.recipient = recipient;
  entry.interfaceClass = interfaceClass;
  entry.id = ++state.lastDeviceNotificationId;
  state.deviceNotifications.push_back(entry);
  return reinterpret_cast<HDEVNOTIFY>(entry.id);
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY handle) {
  const auto id = reinterpret_cast<unsigned long>(handle);
  SystemState& state = State().system;
  std::lock_guard<std::mutex> hold(state.deviceNotificationLock);
  for (auto it = state.deviceNotifications.begin(); it != state.deviceNotifications.end(); ++it) {
    if (it->id == id) {
      state.deviceNotifications.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

void ReportDeviceChange(UINT event, const DEV_BROADCAST_DEVICEINTERFACE_W& header) {
  // Recipients are called without the lock, so that they may register or unregister in turn.
  std::vector<DeviceChangeRecipient*> matching;
  {
    SystemState& state = State().system;
    std::lock_guard<std::mutex> hold(state.deviceNotificationLock);
    for (const DeviceNotificationEntry& entry : state.deviceNotifications)
      if (entry.interfaceClass == header.dbcc_classguid) matching.push_back(entry.recipient);
  }
  for (DeviceChangeRecipient* recipient : matching) recipient->OnDeviceChangeNotification(event, header);
}

}  // namespace platform
