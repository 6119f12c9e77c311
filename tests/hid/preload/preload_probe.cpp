// Linked against the real hidapi and run with the virtual cooler preloaded: passes only when
// every call lands in the virtual cooler (its paths, its answer, its report log).
#include <hidapi/hidapi.h>

#include <cstdio>
#include <cstring>
#include <string>

int main() {
  if (hid_init() != 0) {
    std::fprintf(stderr, "hid_init failed\n");
    return 1;
  }
  int displays = 0;
  std::string first;
  hid_device_info* list = hid_enumerate(0x1A2C, 0x434D);
  for (hid_device_info* e = list; e; e = e->next) {
    if (std::strncmp(e->path, "/dev/hidraw-virtual-cooler/", 27) != 0) {
      std::fprintf(stderr, "not a virtual device: %s\n", e->path);
      hid_free_enumeration(list);
      return 1;
    }
    if (e->usage_page == 0xFF01 && e->usage == 1 && displays++ == 0) first = e->path;
  }
  hid_free_enumeration(list);
  std::printf("displays: %d\n", displays);
  if (first.empty()) return 1;

  hid_device* dev = hid_open_path(first.c_str());
  if (!dev) return 1;
  unsigned char buffer[65] = {0x07, 0xFD};
  int sent = hid_send_feature_report(dev, buffer, 64);
  std::memset(buffer, 0, sizeof buffer);
  buffer[0] = 0x07;
  int read = hid_get_feature_report(dev, buffer, 64);
  hid_close(dev);
  hid_exit();
  std::printf("sent %d read %d version %02x%02x\n", sent, read, buffer[1], buffer[2]);
  return sent == 64 && read == 64 ? 0 : 1;
}
