// Process-wide state of the system services (listed in platform/base/process_state.h).
#pragma once

#include <mutex>
#include <vector>

#include "platform/base/win_types.h"

namespace platform {

class DeviceChangeRecipient;

// One RegisterDeviceNotification: who hears about which device-interface class.
struct DeviceNotificationEntry {
  DeviceChangeRecipient* recipient = nullptr;
  GUID interfaceClass{};
  unsigned long id = 0;  // the handle given out, never reused
};

struct SystemState {
  std::mutex deviceNotificationLock;  // guards the two fields below
  std::vector<DeviceNotificationEntry> deviceNotifications;  // registered recipients, oldest first
  unsigned long lastDeviceNotificationId = 0;  // last handle given out
};

}  // namespace platform
