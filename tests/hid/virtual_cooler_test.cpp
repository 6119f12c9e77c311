// The virtual cooler through hidapi's own functions: what the program and other users rely on.
#include <hidapi/hidapi.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/hid/virtual_cooler_fixture.h"

namespace {

using VirtualCooler = VirtualCoolerTest;

struct Entry {
  std::string path;
  unsigned short vendor, product, usagePage, usage;
};

std::vector<Entry> Enumerate(unsigned short vendor = 0, unsigned short product = 0) {
  std::vector<Entry> entries;
  hid_device_info* list = hid_enumerate(vendor, product);
  for (hid_device_info* e = list; e; e = e->next) {
    entries.push_back({e->path, e->vendor_id, e->product_id, e->usage_page, e->usage});
  }
  hid_free_enumeration(list);
  return entries;
}

std::vector<std::string> Paths(const std::vector<Entry>& entries) {
  std::vector<std::string> paths;
  for (const Entry& e : entries) paths.push_back(e.path);
  return paths;
}

TEST_F(VirtualCooler, EachCoolerShowsAnotherCollectionAndItsDisplay) {
  Configure("count=2");
  std::vector<Entry> entries = Enumerate();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(Paths(entries), (std::vector<std::string>{
                                "/dev/hidraw-virtual-cooler/0/other", "/dev/hidraw-virtual-cooler/0/display",
                                "/dev/hidraw-virtual-cooler/1/other", "/dev/hidraw-virtual-cooler/1/display"}));
  for (const Entry& e : entries) {
    EXPECT_EQ(e.vendor, 0x1A2C);
    EXPECT_EQ(e.product, 0x434D);
    EXPECT_EQ(e.usage, 1);
  }
  EXPECT_EQ(entries[0].usagePage, 0xFF00);
  EXPECT_EQ(entries[1].usagePage, 0xFF01);
  EXPECT_EQ(Enumerate(0x1A2C, 0x434D).size(), 4u);
  EXPECT_TRUE(Enumerate(0x1A2C, 0x0001).empty());
}

TEST_F(VirtualCooler, WithoutConfigurationThereIsOneCooler) {
  ASSERT_EQ(unsetenv("VIRTUAL_COOLER"), 0);
  virtual_cooler_reset_for_tests();
  EXPECT_EQ(Paths(Enumerate()), (std::vector<std::string>{"/dev/hidraw-virtual-cooler/0/other",
                                                          "/dev/hidraw-virtual-cooler/0/display"}));
}

TEST_F(VirtualCooler, OnlyTheDisplayCollectionTakesReport7) {
  Configure("count=1");
  hid_device* other = hid_open_path("/dev/hidraw-virtual-cooler/0/other");
  hid_device* display = hid_open_path("/dev/hidraw-virtual-cooler/0/display");
  ASSERT_NE(other, nullptr);
  ASSERT_NE(display, nullptr);
  unsigned char report[65] = {0x07, 0xFF, 0xFF, 1, 2, 3};
  EXPECT_EQ(hid_send_feature_report(other, report, 65), -1);
  EXPECT_NE(std::wstring(hid_error(other)), L"Success");
  EXPECT_EQ(hid_send_feature_report(display, report, 65), 65);
  report[0] = 0x03;
  EXPECT_EQ(hid_send_feature_report(display, report, 65), -1);
  unsigned char answer[64] = {0x07};
  EXPECT_EQ(hid_get_feature_report(display, answer, 64), 64);
  EXPECT_EQ(answer[0], 0x07);
  EXPECT_EQ(answer[1] * 256 + answer[2], 0x0106);
  hid_close(other);
  hid_close(display);
  EXPECT_EQ(LogLines().size(), 1u);  // only the accepted report
}

TEST_F(VirtualCooler, RealNodesAndUnknownPathsDoNotOpen) {
  Configure("count=1");
  EXPECT_EQ(hid_open_path("/dev/hidraw0"), nullptr);
  EXPECT_EQ(hid_open_path("/dev/hidraw-virtual-cooler/1/display"), nullptr);
  EXPECT_EQ(hid_open_path(nullptr), nullptr);
  EXPECT_NE(std::wstring(hid_error(nullptr)), L"Success");
}

TEST_F(VirtualCooler, OpenByIdsAndSerialNumber) {
  Configure("count=2,product=Quillon");
  hid_device* dev = hid_open(0x1A2C, 0x434D, L"VC0001");
  ASSERT_NE(dev, nullptr);
  hid_device_info* info = hid_get_device_info(dev);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->path, "/dev/hidraw-virtual-cooler/1/other");
  wchar_t text[8];
  EXPECT_EQ(hid_get_product_string(dev, text, 8), 0);
  EXPECT_EQ(std::wstring(text), L"Quillon");
  EXPECT_EQ(hid_get_product_string(dev, text, 4), 0);  // cut to fit, still terminated
  EXPECT_EQ(std::wstring(text), L"Qui");
  EXPECT_EQ(hid_get_serial_number_string(dev, text, 8), 0);
  EXPECT_EQ(std::wstring(text), L"VC0001");
  hid_close(dev);
  EXPECT_EQ(hid_open(0x1A2C, 0x434D, L"VC0009"), nullptr);
}

TEST_F(VirtualCooler, FunctionsTheCoolerDoesNotOfferFail) {
  Configure("count=1");
  hid_device* dev = hid_open_path("/dev/hidraw-virtual-cooler/0/display");
  ASSERT_NE(dev, nullptr);
  unsigned char buffer[65] = {0x07};
  wchar_t text[16];
  EXPECT_EQ(hid_write(dev, buffer, 65), -1);
  EXPECT_EQ(hid_read(dev, buffer, 65), -1);
  EXPECT_EQ(hid_read_timeout(dev, buffer, 65, 10), -1);
  EXPECT_EQ(hid_get_input_report(dev, buffer, 65), -1);
  EXPECT_EQ(hid_get_indexed_string(dev, 1, text, 16), -1);
  EXPECT_NE(std::wstring(hid_error(dev)), L"Success");
  hid_close(dev);
}

// Plugging and unplugging through the control file, seen by a process that keeps running.
TEST_F(VirtualCooler, ControlFilePlugsAndUnplugs) {
  Configure("count=1");
  WriteControl("count=0\n");
  EXPECT_TRUE(Enumerate().empty());

  WriteControl("# two coolers now\ncount=2\nfirmware.1=0x0200\n");
  EXPECT_EQ(Enumerate().size(), 4u);
  hid_device* dev = hid_open_path("/dev/hidraw-virtual-cooler/1/display");
  ASSERT_NE(dev, nullptr);
  unsigned char report[65] = {0x07, 0xFD};
  EXPECT_EQ(hid_send_feature_report(dev, report, 64), 64);
  unsigned char answer[64] = {0x07};
  EXPECT_EQ(hid_get_feature_report(dev, answer, 64), 64);
  EXPECT_EQ(answer[1] * 256 + answer[2], 0x0200);

  // Unplugged: the open device refuses writes at once, without a new enumeration.
  WriteControl("count=1\n");
  EXPECT_EQ(hid_send_feature_report(dev, report, 65), -1);
  EXPECT_EQ(std::wstring(hid_error(dev)), L"virtual cooler: device disconnected");
  // Plugged in again: it is a new device; the old handle stays dead.
  WriteControl("count=2\n");
  EXPECT_EQ(hid_send_feature_report(dev, report, 65), -1);
  hid_device* again = hid_open_path("/dev/hidraw-virtual-cooler/1/display");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(hid_send_feature_report(again, report, 65), 65);
  hid_close(again);
  hid_close(dev);

  RemoveControl();
  EXPECT_EQ(Enumerate().size(), 2u);  // back to the environment's one cooler
}

TEST_F(VirtualCooler, FailuresCanBeSetPerCooler) {
  Configure("count=3,fail.1=write|read,fail.2=open");
  hid_device* working = hid_open_path("/dev/hidraw-virtual-cooler/0/display");
  hid_device* failing = hid_open_path("/dev/hidraw-virtual-cooler/1/display");
  ASSERT_NE(working, nullptr);
  ASSERT_NE(failing, nullptr);
  EXPECT_EQ(hid_open_path("/dev/hidraw-virtual-cooler/2/display"), nullptr);
  EXPECT_EQ(hid_open_path("/dev/hidraw-virtual-cooler/2/other"), nullptr);
  unsigned char report[65] = {0x07};
  EXPECT_EQ(hid_send_feature_report(working, report, 65), 65);
  EXPECT_EQ(hid_get_feature_report(working, report, 65), 65);
  report[0] = 0x07;
  EXPECT_EQ(hid_send_feature_report(failing, report, 65), -1);
  EXPECT_EQ(hid_get_feature_report(failing, report, 65), -1);
  hid_close(failing);
  hid_close(working);
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(VirtualCooler, LogLinesOfConcurrentWritersStayWhole) {
  Configure("count=4");
  constexpr int kReports = 200;
  std::vector<std::thread> writers;
  for (int cooler = 0; cooler < 4; ++cooler) {
    writers.emplace_back([cooler] {
      std::string path = "/dev/hidraw-virtual-cooler/" + std::to_string(cooler) + "/display";
      hid_device* dev = hid_open_path(path.c_str());
      if (!dev) return;
      unsigned char report[65] = {0x07, 0xFF, 0xFF, static_cast<unsigned char>(cooler)};
      for (int i = 0; i < kReports; ++i) hid_send_feature_report(dev, report, 65);
      hid_close(dev);
    });
  }
  for (std::thread& t : writers) t.join();
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 4u * kReports);
  std::vector<int> perCooler(4, 0);
  for (const std::string& line : lines) {
    ASSERT_EQ(line.size(), 2u + 130u) << line;
    int cooler = line[0] - '0';
    ASSERT_TRUE(cooler >= 0 && cooler < 4) << line;
    std::vector<unsigned char> expected(65, 0);
    expected[0] = 0x07;
    expected[1] = expected[2] = 0xFF;
    expected[3] = static_cast<unsigned char>(cooler);
    EXPECT_EQ(line, LogLine(cooler, expected));
    ++perCooler[cooler];
  }
  EXPECT_EQ(perCooler, (std::vector<int>(4, kReports)));
}

TEST_F(VirtualCooler, BadSettingsAreIgnoredAndTheRestApplies) {
  Configure("count=2,colour=blue,firmware=banana,fail=sometimes,count.1=3");
  EXPECT_EQ(Enumerate().size(), 4u);
  hid_device* dev = hid_open_path("/dev/hidraw-virtual-cooler/0/display");
  ASSERT_NE(dev, nullptr);
  unsigned char answer[64] = {0x07};
  EXPECT_EQ(hid_get_feature_report(dev, answer, 64), 64);
  EXPECT_EQ(answer[1] * 256 + answer[2], 0x0106);  // the default firmware
  hid_close(dev);
}

}  // namespace
