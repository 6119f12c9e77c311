// The HID class driver's capability query on Linux: the top-level usages of a hidraw node,
// parsed from its report descriptor.
#pragma once

#include <cstddef>
#include <vector>

namespace platform {

struct HidTopLevelUsage {
  unsigned usagePage = 0;
  unsigned usage = 0;
  bool operator==(const HidTopLevelUsage&) const = default;
};

// The usage page and usage of every top-level Application collection in a report descriptor, in
// order. Short items with 0, 1, 2 or 4 data bytes and long items are understood; a 4-byte Usage
// carries its own usage page in its high 16 bits; Push and Pop keep the usage page. A descriptor
// cut short yields what was complete before the cut.
std::vector<HidTopLevelUsage> ParseTopLevelUsages(const unsigned char* descriptor, std::size_t size);

// Opens a hidraw node (read and write, non-blocking), reads its report descriptor and parses it.
// False when the node cannot be opened or its descriptor cannot be read.
bool ReadHidrawTopLevelUsages(const char* devicePath, std::vector<HidTopLevelUsage>* usages);

}  // namespace platform
