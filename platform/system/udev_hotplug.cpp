#include "platform/system/udev_hotplug.h"

#include <libudev.h>

#include <cstdio>
#include <cstdlib>

#include "platform/base/cstring.h"
#include "platform/base/report.h"

namespace platform {

namespace {

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// Parses a hexadecimal id of at most 8 digits; false when it is not one or does not fit 16 bits.
bool ParseHexId(const std::string& text, unsigned* out) {
  if (text.empty() || text.size() > 8) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (!end || *end != '\0' || value > 0xFFFF) return false;
  *out = static_cast<unsigned>(value);
  return true;
}

std::string Marker(unsigned vendor, unsigned product) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "VID_%04X&PID_%04X", vendor, product);
  return buffer;
}

}  // namespace

std::string VendorProductMarker(const UdevEventFacts& facts) {
  unsigned vendor = 0, product = 0;
  if (!facts.hidId.empty()) {
    // bus:vendor:product, each hexadecimal
    const size_t first = facts.hidId.find(':');
    const size_t second = first == std::string::npos ? first : facts.hidId.find(':', first + 1);
    if (second != std::string::npos &&
        ParseHexId(facts.hidId.substr(first + 1, second - first - 1), &vendor) &&
        ParseHexId(facts.hidId.substr(second + 1), &product))
      return Marker(vendor, product);
  }
  if (ParseHexId(facts.vendorId, &vendor) && ParseHexId(facts.modelId, &product)) return Marker(vendor, product);
  if (!facts.product.empty()) {
    // vendor/product/release
    const size_t first = facts.product.find('/');
    const size_t second = first == std::string::npos ? first : facts.product.find('/', first + 1);
    if (second != std::string::npos && ParseHexId(facts.product.substr(0, first), &vendor) &&
        ParseHexId(facts.product.substr(first + 1, second - first - 1), &product))
      return Marker(vendor, product);
  }
  return std::string();
}

bool TranslateUdevEvent(const UdevEventFacts& facts, UINT* event, DEV_BROADCAST_DEVICEINTERFACE_W* record) {
  UINT code = 0;
  if (facts.action == "add")
    code = DBT_DEVICEARRIVAL;
  else if (facts.action == "remove")
    code = DBT_DEVICEREMOVECOMPLETE;
  else
    return false;

  GUID interfaceClass{};
  if (facts.subsystem == "hidraw")
    interfaceClass = GUID_DEVINTERFACE_HID;
  else if (facts.subsystem == "usb" && facts.devtype == "usb_device")
    interfaceClass = GUID_DEVINTERFACE_USB_DEVICE;
  else
    return false;

  std::string name = facts.devnode;
  const std::string marker = VendorProductMarker(facts);
  if (!marker.empty()) name += "#" + marker;
  *event = code;
  *record = MakeDeviceInterfaceRecord(interfaceClass, FromUtf8(name).c_str());
  return true;
}

bool UdevHotplugSource::Start() {
  Stop();
  udev_ = udev_new();
  if (!udev_) {
    ReportSystemFailure("udev_new failed: no device hot-plug");
    return false;
  }
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    ReportSystemFailure("udev monitor not available: no device hot-plug");
    Stop();
    return false;
  }

  // Remember the ids of the nodes present now, for their removal later.
  if (udev_enumerate* enumeration = udev_enumerate_new(udev_)) {
    udev_enumerate_add_match_subsystem(enumeration, "hidraw");
    udev_enumerate_scan_devices(enumeration);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration)) {
      if (udev_device* device = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry))) {
        const UdevEventFacts facts = FactsOf(device);
        if (!facts.devnode.empty() && !facts.hidId.empty()) hidIdByNode_[facts.devnode] = facts.hidId;
        udev_device_unref(device);
      }
    }
    udev_enumerate_unref(enumeration);
  }
  return true;
}

void UdevHotplugSource::Stop() {
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
  monitor_ = nullptr;
  udev_ = nullptr;
  hidIdByNode_.clear();
}

int UdevHotplugSource::fd() const { return monitor_ ? udev_monitor_get_fd(monitor_) : -1; }

UdevEventFacts UdevHotplugSource::FactsOf(udev_device* device) {
  UdevEventFacts facts;
  facts.action = Text(udev_device_get_action(device));
  facts.subsystem = Text(udev_device_get_subsystem(device));
  facts.devtype = Text(udev_device_get_devtype(device));
  facts.devnode = Text(udev_device_get_devnode(device));
  facts.vendorId = Text(udev_device_get_property_value(device, "ID_VENDOR_ID"));
  facts.modelId = Text(udev_device_get_property_value(device, "ID_MODEL_ID"));
  facts.product = Text(udev_device_get_property_value(device, "PRODUCT"));
  if (facts.subsystem == "hidraw") {
    // The parent belongs to the device; it is not unreferenced separately.
    if (udev_device* parent = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr))
      facts.hidId = Text(udev_device_get_property_value(parent, "HID_ID"));
  }
  return facts;
}

void UdevHotplugSource::Dispatch() {
  if (!monitor_) return;
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    UdevEventFacts facts = FactsOf(device);
    udev_device_unref(device);
    if (facts.subsystem == "hidraw" && !facts.devnode.empty()) {
      if (facts.action == "add" && !facts.hidId.empty()) {
        hidIdByNode_[facts.devnode] = facts.hidId;
      } else if (facts.action == "remove") {
        auto known = hidIdByNode_.find(facts.devnode);
        if (known != hidIdByNode_.end()) {
          if (facts.hidId.empty()) facts.hidId = known->second;
          hidIdByNode_.erase(known);
        }
      }
    }
    UINT event = 0;
    DEV_BROADCAST_DEVICEINTERFACE_W record;
    if (TranslateUdevEvent(facts, &event, &record)) ReportDeviceChange(event, record);
  }
}

}  // namespace platform
