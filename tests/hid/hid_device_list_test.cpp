// The device list against simulated coolers: what it opens, what it sends, what it reads back.
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "tests/hid/virtual_cooler_fixture.h"

namespace {

using HidDeviceListTest = VirtualCoolerTest;

std::string Zeros(size_t bytes) { return std::string(bytes * 2, '0'); }

TEST_F(HidDeviceListTest, TwoCoolersGiveTwoRecordsAndTheSameReportInEnumerationOrder) {
  Configure("count=2,release=0x0123");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    const HidDeviceRecord* record = list.Record(i);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->index, i);
    EXPECT_EQ(record->vendorId, 0x1A2C);
    EXPECT_EQ(record->productId, 0x434D);
    EXPECT_EQ(record->releaseNumber, 0x0123);
    EXPECT_STREQ(record->path, ("/dev/hidraw-virtual-cooler/" + std::to_string(i) + "/display").c_str());
    EXPECT_NE(record->device, nullptr);
  }
  // Each cooler's other collection was opened and closed again; only the displays stay open.
  EXPECT_EQ(virtual_cooler_stat("opens"), 4);
  EXPECT_EQ(virtual_cooler_stat("open_handles"), 2);

  std::vector<unsigned char> report = DisplayReport();
  EXPECT_TRUE(list.WriteAll(report.data()));
  std::string sent = "07ffff000405" + Zeros(59);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"0 " + sent, "1 " + sent}));
}

TEST_F(HidDeviceListTest, DisplayReportIsTheFirst64BytesAndAZero) {
  Configure("count=1");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 1);
  std::vector<unsigned char> report(80, 0xCC);  // bytes past 64 must not be sent
  report[0] = 0x07;
  report[63] = 0xAB;
  EXPECT_TRUE(list.WriteAll(report.data()));
  std::vector<unsigned char> expected(report.begin(), report.begin() + 64);
  expected.push_back(0x00);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{LogLine(0, expected)}));
}

TEST_F(HidDeviceListTest, CoolerWithoutDisplayCollectionGivesNoRecord) {
  Configure("count=1,display=0");
  CHidDeviceList& list = Refresh();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(virtual_cooler_stat("opens"), 1);
  EXPECT_EQ(virtual_cooler_stat("closes"), 1);
}

TEST_F(HidDeviceListTest, OtherDevicesAreNotOpened) {
  Configure("count=2,vid.1=0x046D,pid.1=0xC52B");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_STREQ(list.Record(0)->path, "/dev/hidraw-virtual-cooler/0/display");
  EXPECT_EQ(virtual_cooler_stat("opens"), 2);
}

TEST_F(HidDeviceListTest, WriteAllIsFalseBeforeTheFirstRefreshAndTrueAfterOneThatFoundNothing) {
  Configure("count=0");
  CHidDeviceList& list = CHidDeviceList::GetDeviceList();
  std::vector<unsigned char> report = DisplayReport();
  EXPECT_FALSE(list.IsOpened());
  EXPECT_FALSE(list.WriteAll(report.data()));

  Refresh();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(list.WriteAll(report.data()));
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(virtual_cooler_stat("feature_writes"), 0);
}

TEST_F(HidDeviceListTest, SecondCloseAllDoesNothing) {
  Configure("count=1");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 1);
  list.CloseAll();
  EXPECT_FALSE(list.IsOpened());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(virtual_cooler_stat("open_handles"), 0);
  long closes = virtual_cooler_stat("closes");
  list.CloseAll();
  EXPECT_EQ(virtual_cooler_stat("closes"), closes);
  std::vector<unsigned char> report = DisplayReport();
  EXPECT_FALSE(list.WriteAll(report.data()));
}

TEST_F(HidDeviceListTest, RefreshReopensWithoutLeakingDevices) {
  Configure("count=2");
  for (int round = 0; round < 3; ++round) {
    CHidDeviceList& list = Refresh();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Record(0)->index, 0);
    EXPECT_EQ(list.Record(1)->index, 1);
    EXPECT_EQ(virtual_cooler_stat("open_handles"), 2);
  }
}

TEST_F(HidDeviceListTest, CoolerThatCannotBeOpenedIsSkipped) {
  Configure("count=2,fail.0=open");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Record(0)->index, 0);
  EXPECT_STREQ(list.Record(0)->path, "/dev/hidraw-virtual-cooler/1/display");
}

TEST_F(HidDeviceListTest, ProductStringIsKeptAndEmptyWhenUnreadable) {
  Configure("count=2,product=Quillon Test \xC2\xB0,fail.1=product");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Record(0)->productName, L"Quillon Test \u00B0");
  EXPECT_TRUE(list.Record(1)->productName.IsEmpty());
}

// Paths that fill the record's field exactly are kept; longer ones are refused whole, never cut.
TEST_F(HidDeviceListTest, PathLongerThanTheRecordFieldIsRefused) {
  struct Case {
    int length;
    bool kept;
  };
  for (Case c : {Case{1023, true}, Case{1024, false}, Case{5000, false}}) {
    SCOPED_TRACE(c.length);
    Configure("count=2,pathlen.0=" + std::to_string(c.length));
    CHidDeviceList& list = Refresh();
    ASSERT_EQ(list.Count(), c.kept ? 2 : 1);
    const HidDeviceRecord* first = list.Record(0);
    if (c.kept) {
      EXPECT_EQ(std::strlen(first->path), 1023u);
      EXPECT_EQ(std::string(first->path).substr(0, 29), "/dev/hidraw-virtual-cooler/0/");
    } else {
      EXPECT_STREQ(first->path, "/dev/hidraw-virtual-cooler/1/display");
    }
    EXPECT_EQ(virtual_cooler_stat("open_handles"), list.Count());
  }
}

struct QueryCase {
  const char* name;
  const char* settings;
  bool ok;
  int version;
  long reads;        // successful reads of the answer
  bool requestSent;  // the query appears in the log
};

void PrintTo(const QueryCase& c, std::ostream* out) { *out << c.name << " (" << c.settings << ")"; }

class FirmwareQueryTest : public VirtualCoolerTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(FirmwareQueryTest, AnswersOrFails) {
  const QueryCase& c = GetParam();
  Configure(c.settings);
  CHidDeviceList& list = Refresh();
  int version = -1;
  EXPECT_EQ(list.QueryFirmwareVersion(version), c.ok);
  if (c.ok) {
    EXPECT_EQ(version, c.version);
  }
  EXPECT_EQ(virtual_cooler_stat("feature_reads"), c.reads);
  std::vector<std::string> expected;
  if (c.requestSent) expected.push_back("0 07fd" + Zeros(62));  // 64 bytes, to the first cooler only
  EXPECT_EQ(LogLines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirmwareQueryTest,
    ::testing::Values(
        QueryCase{"AnswerAtOnce", "count=1,firmware=0x0106", true, 0x0106, 1, true},
        QueryCase{"OtherReportIdFirst", "count=1,firmware=0x0107,firstid=0x05", true, 0x0107, 2, true},
        QueryCase{"OnlyTheFirstCoolerIsAsked", "count=2,firmware=0x0106,firmware.1=0x0200", true, 0x0106, 1, true},
        QueryCase{"FailedReadIsNoVersion", "count=1,fail=read", false, 0, 0, true},
        QueryCase{"FailedWrite", "count=1,fail=write", false, 0, 0, false},
        QueryCase{"NoCooler", "count=0", false, 0, 0, false}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });

TEST_F(HidDeviceListTest, QueryBeforeAnyRefreshFails) {
  Configure("count=1");
  int version = -1;
  EXPECT_FALSE(CHidDeviceList::GetDeviceList().QueryFirmwareVersion(version));
  EXPECT_EQ(version, -1);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(HidDeviceListTest, UnpluggedCoolerStaysListedAndItsWritesFailUntilTheNextRefresh) {
  Configure("count=2");
  CHidDeviceList& list = Refresh();
  ASSERT_EQ(list.Count(), 2);
  WriteControl("plugged.0=0\n");
  std::vector<unsigned char> report = DisplayReport();
  EXPECT_TRUE(list.WriteAll(report.data()));
  EXPECT_EQ(list.Count(), 2);
  std::string sent = "07ffff000405" + Zeros(59);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"1 " + sent}));

  Refresh();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_STREQ(list.Record(0)->path, "/dev/hidraw-virtual-cooler/1/display");
}

// Only meaningful as the first use of the list in its process, which is how ctest runs it.
TEST_F(HidDeviceListTest, FailedInitialisationIsRetriedAtEachEnumeration) {
  if (virtual_cooler_stat("init_calls") != 0 || ::testing::UnitTest::GetInstance()->test_to_run_count() != 1) {
    GTEST_SKIP() << "needs a process of its own";
  }
  WriteControl("fail=init");
  Configure("count=1");
  CHidDeviceList& list = Refresh();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(virtual_cooler_stat("enumerations"), 0);  // nothing is enumerated while uninitialised
  EXPECT_EQ(virtual_cooler_stat("init_calls"), 2);    // at construction and at the enumeration

  RemoveControl();
  Refresh();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(virtual_cooler_stat("init_calls"), 3);
  Refresh();
  EXPECT_EQ(virtual_cooler_stat("init_calls"), 3);  // initialised once for good
}

}  // namespace
