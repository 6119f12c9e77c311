#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/system/control_channel.h"
#include "platform/system/runtime_folder.h"
#include "test_support.h"

namespace {

using platform::InstanceLock;
using test_support::ScopedEnv;
using test_support::TempFolder;

TEST(RuntimeFolder, UsesXdgRuntimeDirWhenSet) {
  ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/4242");
  EXPECT_EQ(platform::UserRuntimeFolder("vq-test"), "/run/user/4242");
}

TEST(RuntimeFolder, FallbackIsAPrivateFolderAndAnUnsafeOneIsRefused) {
  unsetenv("XDG_RUNTIME_DIR");  // each test runs in a process of its own
  const std::string name = "vq-runtime-test-" + std::to_string(getpid());
  const std::string expected = "/tmp/" + name + "-" + std::to_string(getuid());
  rmdir(expected.c_str());
  EXPECT_EQ(platform::UserRuntimeFolder(name), expected);
  struct stat info {};
  ASSERT_EQ(stat(expected.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  chmod(expected.c_str(), 0755);  // others could reach our sockets
  EXPECT_EQ(platform::UserRuntimeFolder(name), "");
  rmdir(expected.c_str());

  ASSERT_EQ(symlink("/tmp", expected.c_str()), 0);  // not a folder of ours
  EXPECT_EQ(platform::UserRuntimeFolder(name), "");
  unlink(expected.c_str());
}

TEST(InstanceLock, OneHolderAtATime) {
  TempFolder folder("lock");
  const std::string path = folder.path() + "/Velmora Quillon.lock";
  InstanceLock first, second;
  EXPECT_EQ(first.Acquire(path), InstanceLock::Outcome::kAcquired);
  EXPECT_EQ(second.Acquire(path), InstanceLock::Outcome::kHeldByAnother);
  first.Release();
  EXPECT_EQ(second.Acquire(path), InstanceLock::Outcome::kAcquired);
  EXPECT_EQ(first.Acquire(folder.path() + "/missing/x.lock"), InstanceLock::Outcome::kUnavailable);
}

TEST(ControlChannel, CommandsArriveInOrderAndSendFailsWithoutListener) {
  TempFolder folder("channel");
  const std::string path = folder.path() + "/control.socket";
  EXPECT_FALSE(platform::ControlChannel::Send(path, "reload-settings"));

  platform::ControlChannel channel;
  ASSERT_TRUE(channel.Listen(path));
  std::string command;
  EXPECT_FALSE(channel.Receive(&command));
  EXPECT_TRUE(platform::ControlChannel::Send(path, "one"));
  EXPECT_TRUE(platform::ControlChannel::Send(path, "two words"));
  ASSERT_TRUE(channel.Receive(&command));
  EXPECT_EQ(command, "one");
  ASSERT_TRUE(channel.Receive(&command));
  EXPECT_EQ(command, "two words");
  EXPECT_FALSE(channel.Receive(&command));

  // A second listener replaces a stale socket file.
  channel.Close();
  EXPECT_FALSE(platform::ControlChannel::Send(path, "nobody"));
  platform::ControlChannel again;
  EXPECT_TRUE(again.Listen(path));
  EXPECT_TRUE(platform::ControlChannel::Send(path, "hello"));
}

TEST(ControlChannel, OverlongPathsAreRefused) {
  platform::ControlChannel channel;
  EXPECT_FALSE(channel.Listen("/tmp/" + std::string(200, 'x')));
  EXPECT_FALSE(platform::ControlChannel::Send("/tmp/" + std::string(200, 'x'), "x"));
}

}  // namespace
