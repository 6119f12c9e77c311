// Starting processes and the sweep by name, with a copy of a harmless program under a name of
// this test's own, so that nothing else on the machine can match.
#include "platform/system/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "test_support.h"

namespace {

using namespace std::chrono_literals;

bool Alive(pid_t pid) {
  // A process that has ended but is not reaped yet (a zombie) counts as gone.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(stat, text)) return false;
  const size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

bool WaitGone(pid_t pid) {
  for (int i = 0; i < 500 && Alive(pid); ++i) std::this_thread::sleep_for(10ms);
  return !Alive(pid);
}

// A copy of a program that sleeps, and a script that starts it with an argument, since the
// process started by StartProcess gets no arguments.
class ProcessTest : public ::testing::Test {
 protected:
  ProcessTest() : folder_("process") {
    name_ = "vqSweep" + std::to_string(getpid());
    sleeper_ = folder_.path() + "/" + name_;
    std::filesystem::copy_file(VQ_SLEEP_PROGRAM, sleeper_);
    std::filesystem::permissions(sleeper_, std::filesystem::perms::owner_all);
    script_ = folder_.path() + "/start.sh";
    test_support::WriteText(script_, "#!/bin/sh\nexec '" + sleeper_ + "' 30\n");
    std::filesystem::permissions(script_, std::filesystem::perms::owner_all);
  }
  ~ProcessTest() override {
    for (pid_t pid : started_) kill(pid, SIGKILL);
  }
  pid_t Start() {
    const pid_t pid = platform::StartProcess(script_);
    if (pid > 0) started_.push_back(pid);
    // Wait for the script to become the sleeper.
    for (int i = 0; i < 500 && platform::ProcessExecutableName(pid) != name_; ++i) std::this_thread::sleep_for(10ms);
    return pid;
  }

  test_support::TempFolder folder_;
  std::string name_;
  std::string sleeper_;
  std::string script_;
  std::vector<pid_t> started_;
};

TEST_F(ProcessTest, StartedProcessRunsDetachedAndIsNoChildOfOurs) {
  const pid_t pid = Start();
  ASSERT_GT(pid, 0);
  EXPECT_EQ(platform::ProcessExecutableName(pid), name_);
  EXPECT_TRUE(Alive(pid));
  // Not our child: nothing here has to reap it.
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProcessTest, StartFailsForMissingOrNotExecutableFiles) {
  EXPECT_EQ(platform::StartProcess(folder_.path() + "/missing"), -1);
  const std::string plain = folder_.path() + "/plain";
  test_support::WriteText(plain, "data");
  EXPECT_EQ(platform::StartProcess(plain), -1);
  EXPECT_EQ(platform::StartProcess(""), -1);
}

TEST_F(ProcessTest, SweepEndsOneMatchPerCallFirstInProcessOrder) {
  const pid_t first = Start();
  const pid_t second = Start();
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  const pid_t lower = std::min(first, second), higher = std::max(first, second);

  EXPECT_TRUE(platform::SweepProcessesByName(name_));
  EXPECT_TRUE(WaitGone(lower));
  EXPECT_TRUE(Alive(higher));

  EXPECT_TRUE(platform::SweepProcessesByName(name_));
  EXPECT_TRUE(WaitGone(higher));
}

TEST_F(ProcessTest, SweepIgnoresCase) {
  const pid_t pid = Start();
  ASSERT_GT(pid, 0);
  std::string upper = name_;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_TRUE(platform::SweepProcessesByName(upper));
  EXPECT_TRUE(WaitGone(pid));
}

TEST_F(ProcessTest, SweepLeavesOtherNamesAlone) {
  const pid_t pid = Start();
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(platform::SweepProcessesByName(name_ + "x"));
  EXPECT_TRUE(platform::SweepProcessesByName(name_.substr(0, name_.size() - 1)));
  EXPECT_TRUE(platform::SweepProcessesByName(""));
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Alive(pid));
}

// A process list of our own making, whose entries stand for real processes: this test process
// and a sleeper. (Sweeping the test program's real name would end its siblings run in parallel.)
void AddFakeProcess(const std::string& root, pid_t pid, const std::string& exe, char state) {
  const std::string dir = root + "/" + std::to_string(pid);
  std::filesystem::create_directories(dir);
  std::filesystem::create_symlink(exe, dir + "/exe");
  test_support::WriteText(dir + "/stat", std::to_string(pid) + " (" + exe.substr(exe.rfind('/') + 1) + ") " + state + " 1 1 1\n");
  test_support::WriteText(dir + "/comm", exe.substr(exe.rfind('/') + 1) + "\n");
}

TEST_F(ProcessTest, SweepSkipsTheCallerAndEndedProcesses) {
  // Started first, so listed before the target: it stands for a process that has ended.
  const pid_t endedStandIn = Start();
  const pid_t target = Start();
  ASSERT_GT(endedStandIn, 0);
  ASSERT_GT(target, 0);
  const std::string root = folder_.path() + "/proc";
  const std::string same = "/opt/" + name_;  // the same name for every entry
  AddFakeProcess(root, getpid(), same, 'S');
  AddFakeProcess(root, endedStandIn, same, 'Z');
  AddFakeProcess(root, target, same, 'S');
  EXPECT_TRUE(platform::SweepProcessesByName(name_, root));
  EXPECT_TRUE(WaitGone(target)) << "the only live match that is not the caller";
  EXPECT_TRUE(Alive(endedStandIn));
}

TEST(ProcessSweep, FalseOnlyWhenTheProcessListCannotBeRead) {
  EXPECT_FALSE(platform::SweepProcessesByName("anything", "/no/such/proc"));
  EXPECT_TRUE(platform::SweepProcessesByName("no-such-program-name-at-all"));
}

}  // namespace
