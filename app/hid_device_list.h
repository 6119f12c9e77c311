// The process-wide list of the open display collections of every connected cooler, over hidapi.
// Every operation but the first GetDeviceList() runs on the worker thread, so the list holds no lock.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/base/cstring.h"

// hidapi's opaque device handle, declared exactly as <hidapi/hidapi.h> does.
struct hid_device_;
typedef struct hid_device_ hid_device;

// One wanted device; only the ids take part in matching.
struct HidDeviceFilter {
  int32_t vendorId = 0;
  int32_t productId = 0;
  CString name;      // label, not used for matching
  int32_t kind = 0;  // caller's tag, not used for matching
};

// One open display collection, owned by the list.
struct HidDeviceRecord {
  static constexpr size_t kPathSize = 1024;  // including the terminating zero

  int32_t index = 0;  // number of records in the list when this one was added
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  char path[kPathSize] = {};  // the collection's device path as enumerated
  CString productName;        // empty when the product string could not be read
  hid_device* device = nullptr;  // open; closed by the list
  int32_t releaseNumber = 0;     // 16-bit value from the enumeration, zero-extended
};

class CHidDeviceList {
 public:
  // The single instance, constructed (and hidapi initialised) on first use from any thread.
  static CHidDeviceList& GetDeviceList();

  CHidDeviceList(const CHidDeviceList&) = delete;
  CHidDeviceList& operator=(const CHidDeviceList&) = delete;

  void ClearFilters();
  void AddFilter(int32_t vendorId, int32_t productId, const CString& name, int32_t kind);

  // Closes and frees every record and clears the opened mark; nothing to do when not opened.
  void CloseAll();
  // Enumerates and opens every display collection that matches a filter; appends records and
  // leaves the opened mark alone (the refresh task sets it afterwards with SetOpened(true)).
  void OpenAll();

  void SetOpened(bool opened) { opened_ = opened ? 1 : 0; }
  bool IsOpened() const { return opened_ != 0; }

  int Count() const { return static_cast<int>(records_.size()); }
  // The record at position i (0 <= i < Count()), or null.
  const HidDeviceRecord* Record(int i) const;

  // Sends the first 64 bytes of report (plus one zero byte) as a 65-byte feature report to every
  // open collection, ignoring each outcome. False when the list is not opened.
  bool WriteAll(const unsigned char* report);

  // Asks the first open collection for its firmware version (byte 1 * 256 + byte 2 of its answer
  // to feature report 7). False when nothing is open, the request cannot be sent, or no answer
  // could be read.
  bool QueryFirmwareVersion(int& version);

 private:
  CHidDeviceList();
  ~CHidDeviceList();

  // hid_init, retried until it succeeds.
  bool EnsureInitialised();
  void CloseRecords();

  int32_t opened_ = 0;  // 1 after the last OpenAll of a refresh, 0 after construction and CloseAll
  std::vector<std::unique_ptr<HidDeviceRecord>> records_;  // open collections, enumeration order
  std::vector<HidDeviceFilter> filters_;
  bool initialised_ = false;  // hid_init succeeded
};
