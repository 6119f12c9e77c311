// The real Thermwatch executables against fake sysfs trees, each test with a block of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_sysfs.h"
#include "platform/system/hardware_map_layout.h"
#include "platform/system/shared_memory.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using thermwatch_test::FakeSysfs;

// Generous: the sanitizer build starts slowly on a busy machine.
constexpr auto kPatience = 20s;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds patience = kPatience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// One running server; killed if a test leaves it behind.
class ServerProcess {
 public:
  ServerProcess(const char* executable, const std::map<std::string, std::string>& settings,
                const std::string& errorFile) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (!settings.count(text.substr(0, text.find('=')))) environment.push_back(text);
    }
    for (const auto& [name, value] : settings) environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(executable), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (posix_spawn(&pid_, executable, &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  ~ServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  pid_t pid() const { return pid_; }

  bool Running() {
    int status = 0;
    return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
  }

  // Sends `signal` and waits for the end; the wait status, or -1 when it did not end in time.
  int Stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = -1;
    const bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 10s);
    if (!ended) return -1;
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
};

class ThermwatchProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    blockName_ = std::string("vq_test_thermwatch_") + std::to_string(getpid()) + "_" + info->name();
    platform::UnlinkSharedMemory(blockName_.c_str());
    errorFile_ = tree_.root() + "/stderr.txt";
  }

  void TearDown() override {
    view_.Close();
    platform::UnlinkSharedMemory(blockName_.c_str());
  }

  std::unique_ptr<ServerProcess> Start(const char* executable,
                                       std::map<std::string, std::string> extra = {}) {
    std::map<std::string, std::string> settings = {
        {"THERMWATCH_SYSFS", tree_.root()},
        {"VQ_HARDWARE_MAP_NAME", blockName_},
        {"THERMWATCH_NVML", tree_.root() + "/no-nvidia-library.so.1"},
    };
    for (auto& [name, value] : extra) settings[name] = value;
    auto process = std::make_unique<ServerProcess>(executable, settings, errorFile_);
    EXPECT_GT(process->pid(), 0) << "cannot start " << executable;
    return process;
  }

  // Opens the test's block read-only once the server has made it (or makes it first).
  bool OpenView() {
    return WaitUntil([&] {
      return view_.isOpen() || view_.Open(blockName_.c_str(), hardware_map::kSize, false);
    });
  }

  float FloatAt(std::size_t offset) const {
    float value = 0.0f;
    std::memcpy(&value, static_cast<const unsigned char*>(view_.address()) + offset, sizeof value);
    return value;
  }
  std::string NameAt(std::size_t offset) const {
    const char* text = static_cast<const char*>(view_.address()) + offset;
    return std::string(text, strnlen(text, hardware_map::kGpuNameSize));
  }
  bool CpuIs(float celsius) const {
    return FloatAt(hardware_map::kCpuTemperature) == celsius &&
           FloatAt(hardware_map::kCpuDelivering) > 0.0f;
  }
  std::string Errors() const { return ReadWholeFile(errorFile_); }

  FakeSysfs tree_;
  std::string blockName_;
  std::string errorFile_;
  platform::SharedMemory view_;
};

TEST_F(ThermwatchProcess, HwmonBuildPublishesFollowsChangesAndEndsOnSigterm) {
  tree_.Hwmon(0, "coretemp")
      .HwmonTemp(0, 1, "45000", "Package id 0")
      .HwmonTemp(0, 2, "43000", "Core 0");
  tree_.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "55000", "edge").HwmonTemp(1, 2, "60000", "junction");
  tree_.HwmonDevice(1, "0000:03:00.0");
  tree_.Hwmon(2, "nouveau").HwmonTemp(2, 1, "48000");
  auto server = Start(THERMWATCH_HWMON_BUILD);
  ASSERT_TRUE(OpenView());

  ASSERT_TRUE(WaitUntil([&] {
    return CpuIs(45.0f) && FloatAt(hardware_map::kGpu2Temperature) == 48.0f;
  })) << "CPU "
      << FloatAt(hardware_map::kCpuTemperature) << ", GPU2 "
      << FloatAt(hardware_map::kGpu2Temperature);
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "amdgpu 0000:03:00.0");
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 55.0f);
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "nouveau hwmon2");

  tree_.HwmonTemp(0, 1, "52500");
  EXPECT_TRUE(WaitUntil([&] { return CpuIs(52.5f); })) << FloatAt(hardware_map::kCpuTemperature);

  tree_.Remove(FakeSysfs::HwmonFolder(1));  // the amdgpu card goes away
  EXPECT_TRUE(WaitUntil([&] { return NameAt(hardware_map::kGpu2Name).empty(); }));
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "nouveau hwmon2");
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 48.0f);
  EXPECT_EQ(FloatAt(hardware_map::kGpu2Temperature), 0.0f);

  const int status = server->Stop(SIGTERM);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Errors(), "");
  // The block stays, with the last values, for a program that still has its view.
  platform::SharedMemory again;
  EXPECT_TRUE(again.Open(blockName_.c_str(), hardware_map::kSize, false));
  EXPECT_FALSE(again.createdNew());
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 52.5f);
}

TEST_F(ThermwatchProcess, InheritedIgnoredSignalsKeepTheirMeaning) {
  tree_.Zone(0, "x86_pkg_temp", "47000");
  // Started the way nohup starts a program, by a parent that also ignores SIGTERM.
  struct sigaction ignore {
  }, oldHangup{}, oldTerminate{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGHUP, &ignore, &oldHangup);
  sigaction(SIGTERM, &ignore, &oldTerminate);
  auto server = Start(THERMWATCH_THERMAL_ZONE_BUILD);
  sigaction(SIGHUP, &oldHangup, nullptr);
  sigaction(SIGTERM, &oldTerminate, nullptr);
  ASSERT_TRUE(OpenView());
  ASSERT_TRUE(WaitUntil([&] { return CpuIs(47.0f); }));

  kill(server->pid(), SIGHUP);
  tree_.Zone(0, "x86_pkg_temp", "49000");
  EXPECT_TRUE(WaitUntil([&] { return CpuIs(49.0f); })) << "still refreshing after the hang-up";
  EXPECT_TRUE(server->Running());
  EXPECT_EQ(server->Stop(SIGTERM), 0);
}

TEST_F(ThermwatchProcess, ThermalZoneBuildPublishesAndEndsOnSigint) {
  tree_.Zone(0, "acpitz", "40000").Zone(1, "x86_pkg_temp", "47000").Zone(2, "gpu-thermal", "51000");
  auto server = Start(THERMWATCH_THERMAL_ZONE_BUILD);
  ASSERT_TRUE(OpenView());
  ASSERT_TRUE(WaitUntil([&] { return CpuIs(47.0f); })) << FloatAt(hardware_map::kCpuTemperature);
  EXPECT_EQ(NameAt(hardware_map::kGpu1Name), "gpu-thermal");
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 51.0f);
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "");

  tree_.Remove(FakeSysfs::ZoneFolder(1));  // the package zone disappears mid-run
  EXPECT_TRUE(WaitUntil([&] { return CpuIs(40.0f); })) << FloatAt(hardware_map::kCpuTemperature);

  const int status = server->Stop(SIGINT);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Errors(), "");
}

TEST_F(ThermwatchProcess, AZeroDegreeReadingStillCountsAsDelivering) {
  tree_.Zone(0, "cpu-thermal", "0");
  ASSERT_TRUE(OpenView());  // the program came first: a zero-filled block
  auto server = Start(THERMWATCH_THERMAL_ZONE_BUILD);
  EXPECT_TRUE(WaitUntil([&] { return FloatAt(hardware_map::kCpuDelivering) > 0.0f; }));
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 0.0f);
  EXPECT_EQ(server->Stop(SIGTERM), 0);
}

TEST_F(ThermwatchProcess, StaleValuesGoAndNothingIsClaimedWithoutSensors) {
  ASSERT_TRUE(view_.Open(blockName_.c_str(), hardware_map::kSize, false));
  {
    platform::SharedMemory writer;  // what an earlier server left behind
    ASSERT_TRUE(writer.Open(blockName_.c_str(), hardware_map::kSize, true));
    auto* bytes = static_cast<unsigned char*>(writer.address());
    const float old = 77.0f;
    std::memcpy(bytes + hardware_map::kCpuTemperature, &old, 4);
    std::memcpy(bytes + hardware_map::kCpuDelivering, &old, 4);
    std::memcpy(bytes + hardware_map::kGpu1Name, "old card", 9);
    std::memcpy(bytes + hardware_map::kGpu1Temperature, &old, 4);
  }
  tree_.Hwmon(0, "nvme").HwmonTemp(0, 1, "35000", "Composite");  // nothing the server wants
  auto server = Start(THERMWATCH_HWMON_BUILD);
  EXPECT_TRUE(WaitUntil([&] { return NameAt(hardware_map::kGpu1Name).empty(); }));
  EXPECT_EQ(FloatAt(hardware_map::kCpuTemperature), 0.0f);
  EXPECT_EQ(FloatAt(hardware_map::kCpuDelivering), 0.0f);
  EXPECT_EQ(FloatAt(hardware_map::kGpu1Temperature), 0.0f);
  EXPECT_TRUE(server->Running());
  EXPECT_EQ(server->Stop(SIGTERM), 0);
  EXPECT_EQ(Errors(), "") << "having no sensors is no failure";
}

TEST_F(ThermwatchProcess, AShortBlockIsReportedOnceAndRetriedUntilItFits) {
  const std::string shmName = "/" + blockName_;
  const int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 100), 0);
  tree_.Hwmon(0, "k10temp").HwmonTemp(0, 1, "61000", "Tctl");
  auto server = Start(THERMWATCH_HWMON_BUILD);

  ASSERT_TRUE(WaitUntil([&] { return !Errors().empty(); }));
  std::this_thread::sleep_for(2500ms);  // a few more attempts fail
  EXPECT_TRUE(server->Running());
  const std::string errors = Errors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  EXPECT_NE(errors.find(blockName_), std::string::npos) << errors;

  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(hardware_map::kSize)), 0);
  close(fd);
  ASSERT_TRUE(OpenView());
  EXPECT_TRUE(WaitUntil([&] { return CpuIs(61.0f); })) << FloatAt(hardware_map::kCpuTemperature);
  EXPECT_EQ(server->Stop(SIGTERM), 0);
  EXPECT_EQ(Errors(), errors) << "nothing more once it worked";
}

TEST_F(ThermwatchProcess, NvidiaGpusAreFoundThroughTheDriverLibrary) {
  const std::string state = tree_.root() + "/nvml-state";
  tree_.Write("nvml-state", "66 NVIDIA Fake GPU\n");
  tree_.Hwmon(0, "coretemp").HwmonTemp(0, 1, "45000", "Package id 0");
  tree_.Hwmon(1, "amdgpu").HwmonTemp(1, 1, "55000", "edge");
  auto server = Start(THERMWATCH_HWMON_BUILD,
                      {{"THERMWATCH_NVML", FAKE_NVML_LIBRARY}, {"FAKE_NVML_STATE", state}});
  ASSERT_TRUE(OpenView());
  ASSERT_TRUE(WaitUntil([&] { return NameAt(hardware_map::kGpu1Name) == "NVIDIA Fake GPU"; }))
      << NameAt(hardware_map::kGpu1Name);
  EXPECT_TRUE(WaitUntil([&] { return FloatAt(hardware_map::kGpu1Temperature) == 66.0f; }));
  EXPECT_EQ(NameAt(hardware_map::kGpu2Name), "amdgpu hwmon1");

  tree_.Write("nvml-state", "70 NVIDIA Fake GPU\n");
  EXPECT_TRUE(WaitUntil([&] { return FloatAt(hardware_map::kGpu1Temperature) == 70.0f; }));
  EXPECT_EQ(server->Stop(SIGTERM), 0);
  EXPECT_EQ(Errors(), "");
}

}  // namespace
