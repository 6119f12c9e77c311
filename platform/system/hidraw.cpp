#include "platform/system/hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

// Item types of a short item's prefix (bits 2-3).
constexpr unsigned kMain = 0, kGlobal = 1, kLocal = 2;
// Tags (bits 4-7) used here.
constexpr unsigned kTagCollection = 0xA, kTagEndCollection = 0xC;  // main
constexpr unsigned kTagUsagePage = 0x0, kTagPush = 0xA, kTagPop = 0xB;  // global
constexpr unsigned kTagUsage = 0x0;  // local
constexpr unsigned kLongItemPrefix = 0xFE;
constexpr unsigned kApplicationCollection = 1;

struct PendingUsage {
  unsigned value;
  bool extended;  // a 4-byte usage: page in the high half
};

}  // namespace

std::vector<HidTopLevelUsage> ParseTopLevelUsages(const unsigned char* descriptor, std::size_t size) {
  std::vector<HidTopLevelUsage> found;
  if (!descriptor) return found;
  unsigned usagePage = 0;
  std::vector<unsigned> pageStack;
  std::vector<PendingUsage> usages;  // local state: cleared after every main item
  int depth = 0;

  std::size_t pos = 0;
  while (pos < size) {
    const unsigned prefix = descriptor[pos];
    if (prefix == kLongItemPrefix) {
      // Long item: size byte, tag byte, data; nothing in it matters here.
      if (pos + 2 >= size) break;
      const std::size_t length = descriptor[pos + 1];
      pos += 3 + length;
      continue;
    }
    const std::size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (pos + 1 + dataSize > size) break;  // cut short
    unsigned data = 0;
    for (std::size_t i = 0; i < dataSize; ++i) data |= static_cast<unsigned>(descriptor[pos + 1 + i]) << (8 * i);
    const unsigned type = (prefix >> 2) & 3;
    const unsigned tag = prefix >> 4;
    pos += 1 + dataSize;

    if (type == kGlobal) {
      if (tag == kTagUsagePage) {
        usagePage = data;
      } else if (tag == kTagPush) {
        pageStack.push_back(usagePage);
      } else if (tag == kTagPop && !pageStack.empty()) {
        usagePage = pageStack.back();
        pageStack.pop_back();
      }
    } else if (type == kLocal) {
      if (tag == kTagUsage) usages.push_back({data, dataSize == 4});
    } else if (type == kMain) {
      if (tag == kTagCollection) {
        if (depth == 0 && (data & 0xFF) == kApplicationCollection) {
          HidTopLevelUsage usage;
          if (!usages.empty()) {
            const PendingUsage& first = usages.front();
            // The usage page in force when the main item is met applies to a short usage.
            usage.usagePage = first.extended ? (first.value >> 16) : (usagePage & 0xFFFF);
            usage.usage = first.value & 0xFFFF;
          } else {
            usage.usagePage = usagePage & 0xFFFF;
          }
          found.push_back(usage);
        }
        ++depth;
      } else if (tag == kTagEndCollection) {
        if (depth > 0) --depth;
      }
      usages.clear();
    }
  }
  return found;
}

bool ReadHidrawTopLevelUsages(const char* devicePath, std::vector<HidTopLevelUsage>* usages) {
  if (!devicePath || !usages) return false;
  const int fd = open(devicePath, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = false;
  int descriptorSize = 0;
  hidraw_devinfo info{};
  ioctl(fd, HIDIOCGRAWINFO, &info);  // the attributes; read as the original does, not needed
  if (ioctl(fd, HIDIOCGRDESCSIZE, &descriptorSize) == 0 && descriptorSize > 0 &&
      descriptorSize <= HID_MAX_DESCRIPTOR_SIZE) {
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<unsigned>(descriptorSize);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) == 0) {
      *usages = ParseTopLevelUsages(descriptor.value, descriptor.size);
      ok = true;
    }
  }
  close(fd);
  return ok;
}

}  // namespace platform
