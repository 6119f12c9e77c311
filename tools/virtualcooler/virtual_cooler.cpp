// hidapi's functions over simulated coolers, so the program and its tests drive a cooler without
// the hardware. Linked into tests or preloaded (LD_PRELOAD) into the program; only the hid_*
// functions and the test hooks leave the library (see exports.map). One lock guards everything.
#include <hidapi/hidapi.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "tools/virtualcooler/cooler_config.h"
#include "tools/virtualcooler/virtual_cooler_hooks.h"

#define VC_EXPORT __attribute__((visibility("default")))

using virtualcooler::Config;
using virtualcooler::CoolerSpec;
using virtualcooler::kMaxCoolers;
using virtualcooler::Setting;

namespace {

enum class Collection { kOther, kDisplay };

constexpr char kPathPrefix[] = "/dev/hidraw-virtual-cooler/";
constexpr unsigned short kOtherUsagePage = 0xFF00;
constexpr unsigned short kDisplayUsagePage = 0xFF01;
constexpr unsigned short kCollectionUsage = 1;
constexpr unsigned char kReportId = 0x07;
constexpr size_t kReportSize = 65;        // feature report 7: the id and 64 bytes
constexpr size_t kMaxTransfer = 4096;     // the kernel's largest HID report buffer
constexpr unsigned char kOtherAnswer1 = 0x5A;  // filler of an answer under another report id
constexpr unsigned char kOtherAnswer2 = 0xA5;

}  // namespace

// hidapi's opaque device, as this library knows it.
struct hid_device_ {
  int cooler = 0;
  Collection collection = Collection::kOther;
  unsigned epoch = 0;  // the cooler's plug-in count when opened: a replugged cooler is another device
  std::wstring error;
  hid_device_info* info = nullptr;  // made on request, freed with the device
  bool nonblocking = false;
};

namespace {

struct State {
  std::mutex mutex;
  bool loaded = false;
  std::vector<Setting> envSettings;
  std::string controlPath;
  std::string logPath;
  bool controlKnown = false;  // controlText holds what the control file held at the last look
  std::string controlText;
  Config config;
  std::vector<bool> present = std::vector<bool>(kMaxCoolers, false);
  std::vector<unsigned> epoch = std::vector<unsigned>(kMaxCoolers, 0);
  // Set by a sent report when the cooler answers its next read under another report id.
  std::vector<bool> answerOtherFirst = std::vector<bool>(kMaxCoolers, false);
  std::wstring globalError;
  std::string lastWarning;
  long opens = 0, closes = 0, openHandles = 0, featureWrites = 0, featureReads = 0, initCalls = 0,
       enumerations = 0;
};

// Never destroyed: a program may still close devices from its own exit-time destructors.
State& TheState() {
  static State* state = new State;
  return *state;
}

void Warn(State& s, const std::string& errors) {
  if (errors.empty() || errors == s.lastWarning) return;
  s.lastWarning = errors;
  std::string text;
  size_t start = 0;
  while (start < errors.size()) {
    size_t end = errors.find('\n', start);
    text += "virtual cooler: " + errors.substr(start, end - start) + "\n";
    start = end == std::string::npos ? errors.size() : end + 1;
  }
  ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
  (void)ignored;
}

bool ReadFile(const std::string& path, std::string& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buffer[4096];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    out.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return true;
}

// Looks at the control file and, when its text changed, settles the coolers anew. A cooler that
// disappears gets a new plug-in count, so the devices opened on it stay dead even if it returns.
void RefreshLocked(State& s, bool force) {
  std::string text;
  if (!s.controlPath.empty() && !ReadFile(s.controlPath, text)) text.clear();
  if (!force && s.controlKnown && text == s.controlText) return;
  s.controlKnown = true;
  s.controlText = text;

  std::string errors;
  std::vector<Setting> settings = s.envSettings;
  std::vector<Setting> control = virtualcooler::ParseSettings(text, errors);
  settings.insert(settings.end(), control.begin(), control.end());
  s.config = virtualcooler::ResolveConfig(settings, errors);
  Warn(s, errors);

  for (int i = 0; i < kMaxCoolers; ++i) {
    bool now = s.config.Present(i);
    if (s.present[i] && !now) {
      ++s.epoch[i];
      s.answerOtherFirst[i] = false;
    }
    s.present[i] = now;
  }
}

void LoadEnvironmentLocked(State& s) {
  const char* text = std::getenv("VIRTUAL_COOLER");
  const char* log = std::getenv("VIRTUAL_COOLER_LOG");
  std::string errors;
  s.envSettings = virtualcooler::ParseSettings(text ? text : "", errors);
  s.controlPath.clear();
  for (const Setting& setting : s.envSettings) {
    if (setting.key == "control") s.controlPath = setting.value;
  }
  s.logPath = log ? log : "";
  s.loaded = true;
  Warn(s, errors);
  RefreshLocked(s, true);
}

// Takes the lock and brings the configuration up to date.
struct Session {
  State& s;
  std::lock_guard<std::mutex> lock;
  Session() : s(TheState()), lock(s.mutex) {
    if (!s.loaded) LoadEnvironmentLocked(s);
    else RefreshLocked(s, false);
  }
};

std::string CollectionPath(int cooler, Collection collection, const CoolerSpec& spec) {
  std::string head = kPathPrefix + std::to_string(cooler) + "/";
  std::string tail = collection == Collection::kDisplay ? "display" : "other";
  size_t natural = head.size() + tail.size();
  if (spec.pathLength > natural) {
    size_t pad = spec.pathLength - natural;
    head += pad >= 2 ? std::string(pad - 1, 'x') + "/" : std::string(pad, 'x');
  }
  return head + tail;
}

std::vector<Collection> CollectionsOf(const CoolerSpec& spec) {
  std::vector<Collection> list{Collection::kOther};
  if (spec.display) list.push_back(Collection::kDisplay);
  return list;
}

void SetError(State& s, hid_device* dev, const std::wstring& text) {
  (dev ? dev->error : s.globalError) = L"virtual cooler: " + text;
}

wchar_t* DuplicateWide(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(std::calloc(text.size() + 1, sizeof(wchar_t)));
  if (copy) std::wmemcpy(copy, text.c_str(), text.size());
  return copy;
}

std::wstring SerialOf(int cooler) {
  wchar_t serial[16];
  std::swprintf(serial, 16, L"VC%04d", cooler);
  return serial;
}

const wchar_t kManufacturer[] = L"Virtual Cooler Works";

hid_device_info* MakeInfo(int cooler, Collection collection, const CoolerSpec& spec) {
  auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
  if (!info) return nullptr;
  info->path = strdup(CollectionPath(cooler, collection, spec).c_str());
  info->vendor_id = static_cast<unsigned short>(spec.vendorId);
  info->product_id = static_cast<unsigned short>(spec.productId);
  info->serial_number = DuplicateWide(SerialOf(cooler));
  info->release_number = static_cast<unsigned short>(spec.release);
  info->manufacturer_string = DuplicateWide(kManufacturer);
  info->product_string = DuplicateWide(spec.product);
  info->usage_page = collection == Collection::kDisplay ? kDisplayUsagePage : kOtherUsagePage;
  info->usage = kCollectionUsage;
  info->interface_number = collection == Collection::kDisplay ? 1 : 0;
  info->next = nullptr;
  info->bus_type = HID_API_BUS_USB;
  return info;
}

void FreeInfo(hid_device_info* info) {
  if (!info) return;
  std::free(info->path);
  std::free(info->serial_number);
  std::free(info->manufacturer_string);
  std::free(info->product_string);
  std::free(info);
}

bool Alive(const State& s, const hid_device* dev) {
  return s.present[dev->cooler] && s.epoch[dev->cooler] == dev->epoch;
}

void AppendLog(const State& s, int cooler, const unsigned char* data, size_t length) {
  if (s.logPath.empty()) return;
  static const char kHex[] = "0123456789abcdef";
  std::string line = std::to_string(cooler) + " ";
  for (size_t i = 0; i < length; ++i) {
    line += kHex[data[i] >> 4];
    line += kHex[data[i] & 0x0F];
  }
  line += '\n';
  // One write on an append-only descriptor: lines of several processes never interleave.
  int fd = open(s.logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = write(fd, line.data(), line.size());
  (void)written;
  close(fd);
}

int CopyString(const std::wstring& text, wchar_t* out, size_t maxlen) {
  if (!out || maxlen == 0) return -1;
  size_t count = std::min(text.size(), maxlen - 1);
  std::wmemcpy(out, text.c_str(), count);
  out[count] = L'\0';
  return 0;
}

// Checks common to every request on an open device; false with the device's error set.
bool Usable(State& s, hid_device* dev) {
  if (!Alive(s, dev)) {
    SetError(s, dev, L"device disconnected");
    return false;
  }
  return true;
}

enum class StringKind { kManufacturer, kProduct, kSerial };

int GetString(hid_device* dev, wchar_t* out, size_t maxlen, StringKind kind) {
  if (!dev) return -1;
  Session session;
  State& s = session.s;
  if (!Usable(s, dev)) return -1;
  const CoolerSpec& spec = s.config.coolers[dev->cooler];
  if (kind == StringKind::kProduct && (spec.fail & virtualcooler::kFailProduct)) {
    SetError(s, dev, L"product string read failed (configured failure)");
    return -1;
  }
  std::wstring text = kind == StringKind::kManufacturer ? std::wstring(kManufacturer)
                      : kind == StringKind::kProduct    ? spec.product
                                                        : SerialOf(dev->cooler);
  if (CopyString(text, out, maxlen) != 0) {
    SetError(s, dev, L"no room for the string");
    return -1;
  }
  dev->error.clear();
  return 0;
}

int Unsupported(hid_device* dev, const wchar_t* what) {
  Session session;
  SetError(session.s, dev, what);
  return -1;
}

}  // namespace

extern "C" {

VC_EXPORT int hid_init(void) {
  Session session;
  State& s = session.s;
  ++s.initCalls;
  if (s.config.failInit) {
    SetError(s, nullptr, L"initialisation failed (configured failure)");
    return -1;
  }
  s.globalError.clear();
  return 0;
}

VC_EXPORT int hid_exit(void) {
  Session session;
  session.s.globalError.clear();
  return 0;
}

VC_EXPORT struct hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
  Session session;
  State& s = session.s;
  ++s.enumerations;
  if (s.config.failInit) {
    SetError(s, nullptr, L"initialisation failed (configured failure)");
    return nullptr;
  }
  hid_device_info* head = nullptr;
  hid_device_info** tail = &head;
  for (int i = 0; i < kMaxCoolers; ++i) {
    if (!s.present[i]) continue;
    const CoolerSpec& spec = s.config.coolers[i];
    if (vendor_id != 0 && vendor_id != spec.vendorId) continue;
    if (product_id != 0 && product_id != spec.productId) continue;
    for (Collection collection : CollectionsOf(spec)) {
      hid_device_info* info = MakeInfo(i, collection, spec);
      if (!info) break;
      *tail = info;
      tail = &info->next;
    }
  }
  if (!head) SetError(s, nullptr, L"No HID devices found in the system.");
  else s.globalError.clear();
  return head;
}

VC_EXPORT void hid_free_enumeration(struct hid_device_info* devs) {
  while (devs) {
    hid_device_info* next = devs->next;
    FreeInfo(devs);
    devs = next;
  }
}

VC_EXPORT hid_device* hid_open_path(const char* path) {
  Session session;
  State& s = session.s;
  if (s.config.failInit) {
    SetError(s, nullptr, L"initialisation failed (configured failure)");
    return nullptr;
  }
  if (!path) {
    SetError(s, nullptr, L"no path given");
    return nullptr;
  }
  for (int i = 0; i < kMaxCoolers; ++i) {
    if (!s.present[i]) continue;
    const CoolerSpec& spec = s.config.coolers[i];
    for (Collection collection : CollectionsOf(spec)) {
      if (CollectionPath(i, collection, spec) != path) continue;
      if (spec.fail & virtualcooler::kFailOpen) {
        SetError(s, nullptr, L"open refused (configured failure)");
        return nullptr;
      }
      auto* dev = new hid_device_;
      dev->cooler = i;
      dev->collection = collection;
      dev->epoch = s.epoch[i];
      ++s.opens;
      ++s.openHandles;
      s.globalError.clear();
      return dev;
    }
  }
  SetError(s, nullptr, L"no such device");
  return nullptr;
}

VC_EXPORT hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number) {
  hid_device_info* list = hid_enumerate(vendor_id, product_id);
  std::string path;
  for (hid_device_info* entry = list; entry; entry = entry->next) {
    if (serial_number && (!entry->serial_number || std::wcscmp(serial_number, entry->serial_number) != 0)) continue;
    path = entry->path;
    break;
  }
  hid_free_enumeration(list);
  if (path.empty()) {
    Session session;
    SetError(session.s, nullptr, L"Device with requested VID/PID/(SerialNumber) not found");
    return nullptr;
  }
  return hid_open_path(path.c_str());
}

VC_EXPORT int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length) {
  if (!dev) return -1;
  Session session;
  State& s = session.s;
  if (!Usable(s, dev)) return -1;
  const CoolerSpec& spec = s.config.coolers[dev->cooler];
  if (!data || length == 0 || length > kMaxTransfer) {
    SetError(s, dev, L"bad report length");
    return -1;
  }
  if (dev->collection != Collection::kDisplay || data[0] != kReportId) {
    SetError(s, dev, L"report id not supported by this collection");
    return -1;
  }
  if (spec.fail & virtualcooler::kFailWrite) {
    SetError(s, dev, L"write failed (configured failure)");
    return -1;
  }
  AppendLog(s, dev->cooler, data, length);
  ++s.featureWrites;
  s.answerOtherFirst[dev->cooler] = spec.firstReportId >= 0;
  dev->error.clear();
  return static_cast<int>(length);
}

VC_EXPORT int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length) {
  if (!dev) return -1;
  Session session;
  State& s = session.s;
  if (!Usable(s, dev)) return -1;
  const CoolerSpec& spec = s.config.coolers[dev->cooler];
  if (!data || length == 0) {
    SetError(s, dev, L"bad report length");
    return -1;
  }
  if (dev->collection != Collection::kDisplay || data[0] != kReportId) {
    SetError(s, dev, L"report id not supported by this collection");
    return -1;
  }
  if (spec.fail & virtualcooler::kFailRead) {
    SetError(s, dev, L"read failed (configured failure)");
    return -1;
  }
  size_t count = std::min(length, kReportSize);
  std::memset(data, 0, count);
  if (s.answerOtherFirst[dev->cooler]) {
    s.answerOtherFirst[dev->cooler] = false;
    data[0] = static_cast<unsigned char>(spec.firstReportId);
    if (count > 1) data[1] = kOtherAnswer1;
    if (count > 2) data[2] = kOtherAnswer2;
  } else {
    data[0] = kReportId;
    if (count > 1) data[1] = static_cast<unsigned char>(spec.firmware >> 8);
    if (count > 2) data[2] = static_cast<unsigned char>(spec.firmware & 0xFF);
  }
  ++s.featureReads;
  dev->error.clear();
  return static_cast<int>(count);
}

VC_EXPORT int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
  return Unsupported(dev, L"the cooler has no output reports");
}

VC_EXPORT int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
  return Unsupported(dev, L"the cooler has no input reports");
}

VC_EXPORT int hid_read(hid_device* dev, unsigned char* data, size_t length) {
  return Unsupported(dev, L"the cooler has no input reports");
}

VC_EXPORT int hid_get_input_report(hid_device* dev, unsigned char* data, size_t length) {
  return Unsupported(dev, L"the cooler has no input reports");
}

VC_EXPORT int hid_set_nonblocking(hid_device* dev, int nonblock) {
  if (!dev) return -1;
  Session session;
  dev->nonblocking = nonblock != 0;
  return 0;
}

VC_EXPORT void hid_close(hid_device* dev) {
  if (!dev) return;
  Session session;
  ++session.s.closes;
  --session.s.openHandles;
  FreeInfo(dev->info);
  delete dev;
}

VC_EXPORT int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  return GetString(dev, string, maxlen, StringKind::kManufacturer);
}

VC_EXPORT int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  return GetString(dev, string, maxlen, StringKind::kProduct);
}

VC_EXPORT int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  return GetString(dev, string, maxlen, StringKind::kSerial);
}

VC_EXPORT struct hid_device_info* hid_get_device_info(hid_device* dev) {
  if (!dev) return nullptr;
  Session session;
  if (!dev->info) dev->info = MakeInfo(dev->cooler, dev->collection, session.s.config.coolers[dev->cooler]);
  return dev->info;
}

VC_EXPORT int hid_get_indexed_string(hid_device* dev, int string_index, wchar_t* string, size_t maxlen) {
  return Unsupported(dev, L"indexed strings are not supported");
}

VC_EXPORT const wchar_t* hid_error(hid_device* dev) {
  Session session;
  const std::wstring& text = dev ? dev->error : session.s.globalError;
  return text.empty() ? L"Success" : text.c_str();
}

VC_EXPORT const struct hid_api_version* hid_version(void) {
  static const hid_api_version version = {HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR, HID_API_VERSION_PATCH};
  return &version;
}

VC_EXPORT const char* hid_version_str(void) { return HID_API_VERSION_STR; }

VC_EXPORT void virtual_cooler_reset_for_tests(void) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.opens = s.closes = s.featureWrites = s.featureReads = s.initCalls = s.enumerations = 0;
  std::fill(s.answerOtherFirst.begin(), s.answerOtherFirst.end(), false);
  s.globalError.clear();
  LoadEnvironmentLocked(s);
}

VC_EXPORT long virtual_cooler_stat(const char* name) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!name) return -1;
  const std::string key = name;
  if (key == "open_handles") return s.openHandles;
  if (key == "opens") return s.opens;
  if (key == "closes") return s.closes;
  if (key == "feature_writes") return s.featureWrites;
  if (key == "feature_reads") return s.featureReads;
  if (key == "init_calls") return s.initCalls;
  if (key == "enumerations") return s.enumerations;
  return -1;
}

}  // extern "C"
