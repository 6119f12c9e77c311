#include "app/hid_device_list.h"

#include <hidapi/hidapi.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "app/app_identity.h"

namespace {

constexpr size_t kReportBytes = 64;           // the bytes of a report the caller supplies
constexpr size_t kDisplayReportBytes = 65;    // what goes to the cooler: 64 bytes and a zero
constexpr size_t kQueryBytes = 64;            // the firmware query is sent and read as 64 bytes
constexpr unsigned char kReportId = 0x07;
constexpr unsigned char kFirmwareQuery = 0xFD;
constexpr size_t kProductChars = 512;
// The answer must carry the report id and the two version bytes.
constexpr int kMinimumAnswerBytes = 3;
constexpr auto kQueryPause = std::chrono::milliseconds(16);

}  // namespace

CHidDeviceList& CHidDeviceList::GetDeviceList() {
  static CHidDeviceList list;
  return list;
}

CHidDeviceList::CHidDeviceList() { EnsureInitialised(); }

CHidDeviceList::~CHidDeviceList() {
  CloseAll();
  CloseRecords();  // records left by an OpenAll whose refresh never marked the list opened
  if (initialised_) hid_exit();
}

bool CHidDeviceList::EnsureInitialised() {
  if (!initialised_) initialised_ = hid_init() == 0;
  return initialised_;
}

void CHidDeviceList::ClearFilters() { filters_.clear(); }

void CHidDeviceList::AddFilter(int32_t vendorId, int32_t productId, const CString& name, int32_t kind) {
  filters_.push_back(HidDeviceFilter{vendorId, productId, name, kind});
}

void CHidDeviceList::CloseRecords() {
  for (auto& record : records_) {
    if (record->device) hid_close(record->device);
    record->device = nullptr;
  }
  records_.clear();
}

void CHidDeviceList::CloseAll() {
  if (!opened_) return;
  CloseRecords();
  opened_ = 0;
}

const HidDeviceRecord* CHidDeviceList::Record(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return records_[static_cast<size_t>(i)].get();
}

void CHidDeviceList::OpenAll() {
  if (!EnsureInitialised()) return;
  hid_device_info* list = hid_enumerate(0, 0);
  for (hid_device_info* entry = list; entry; entry = entry->next) {
    bool wanted = false;
    for (const HidDeviceFilter& filter : filters_) {
      if (filter.vendorId == entry->vendor_id && filter.productId == entry->product_id) {
        wanted = true;
        break;  // only the first matching filter counts
      }
    }
    if (!wanted || !entry->path) continue;
    // A path that does not fit the record whole is refused rather than cut: a cut path would
    // name another device, or none.
    if (std::strlen(entry->path) >= HidDeviceRecord::kPathSize) continue;

    hid_device* device = hid_open_path(entry->path);
    if (!device) continue;
    if (entry->usage_page != app::kDisplayUsagePage || entry->usage != app::kDisplayUsage) {
      hid_close(device);
      continue;
    }

    wchar_t product[kProductChars] = {};
    if (hid_get_product_string(device, product, kProductChars) != 0) {
      product[0] = L'\0';  // the record is still made, with an empty name
    }
    product[kProductChars - 1] = L'\0';

    auto record = std::make_unique<HidDeviceRecord>();
    record->index = Count();
    record->vendorId = entry->vendor_id;
    record->productId = entry->product_id;
    record->releaseNumber = entry->release_number;
    std::memcpy(record->path, entry->path, std::strlen(entry->path) + 1);
    record->productName = CString(product);
    record->device = device;
    records_.push_back(std::move(record));
  }
  hid_free_enumeration(list);
}

bool CHidDeviceList::WriteAll(const unsigned char* report) {
  if (!opened_) return false;
  unsigned char buffer[kDisplayReportBytes];
  std::memcpy(buffer, report, kReportBytes);
  buffer[kReportBytes] = 0;
  for (const auto& record : records_) {
    if (!record->device) continue;
    // A failed write is left for the next second's write to repeat.
    hid_send_feature_report(record->device, buffer, kDisplayReportBytes);
  }
  return true;
}

bool CHidDeviceList::QueryFirmwareVersion(int& version) {
  if (!opened_ || records_.empty() || !records_.front()->device) return false;
  hid_device* device = records_.front()->device;

  unsigned char request[kDisplayReportBytes] = {};
  request[0] = kReportId;
  request[1] = kFirmwareQuery;

  std::this_thread::sleep_for(kQueryPause);
  unsigned char buffer[kDisplayReportBytes] = {};
  std::memcpy(buffer, request, kQueryBytes);
  if (hid_send_feature_report(device, buffer, kQueryBytes) <= 0) return false;

  std::this_thread::sleep_for(kQueryPause);
  std::memcpy(buffer, request, kQueryBytes);
  int read = hid_get_feature_report(device, buffer, kQueryBytes);
  if (buffer[0] != kReportId) {
    std::this_thread::sleep_for(kQueryPause);
    std::memcpy(buffer, request, kQueryBytes);
    read = hid_get_feature_report(device, buffer, kQueryBytes);
  }
  // The buffer is refilled with the request before each read, so after a failed read it holds
  // the request's own bytes, not an answer.
  if (read < kMinimumAnswerBytes) return false;
  version = buffer[1] * 256 + buffer[2];
  return true;
}
