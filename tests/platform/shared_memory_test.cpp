#include "platform/system/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UniqueName(const char* what) {
  return std::string("vq_test_") + what + "_" + std::to_string(getpid());
}

}  // namespace

TEST(SharedMemory, CreatorGetsZeroFilledBlockAndOtherSideSeesWrites) {
  const std::string name = UniqueName("create");
  platform::SharedMemory writer;
  ASSERT_TRUE(writer.Open(name.c_str(), 772, true));
  EXPECT_TRUE(writer.createdNew());
  const auto* bytes = static_cast<const unsigned char*>(writer.address());
  for (int i = 0; i < 772; ++i) ASSERT_EQ(bytes[i], 0) << i;

  platform::SharedMemory reader;
  ASSERT_TRUE(reader.Open(name.c_str(), 772, false));
  EXPECT_FALSE(reader.createdNew());
  static_cast<unsigned char*>(writer.address())[771] = 0x5A;
  EXPECT_EQ(static_cast<const unsigned char*>(reader.address())[771], 0x5A);
  platform::UnlinkSharedMemory(name.c_str());
}

TEST(SharedMemory, ExistingShorterBlockIsRefusedUntilItGrows) {
  const std::string name = UniqueName("short");
  const std::string shmName = "/" + name;
  const int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 100), 0);

  platform::SharedMemory view;
  EXPECT_FALSE(view.Open(name.c_str(), 772, false));
  EXPECT_FALSE(view.isOpen());
  EXPECT_EQ(view.address(), nullptr);

  ASSERT_EQ(ftruncate(fd, 772), 0);  // the next attempt succeeds
  EXPECT_TRUE(view.Open(name.c_str(), 772, false));
  close(fd);
  platform::UnlinkSharedMemory(name.c_str());
}

TEST(SharedMemory, BadNamesFail) {
  platform::SharedMemory view;
  EXPECT_FALSE(view.Open("", 772, false));
  EXPECT_FALSE(view.Open("a/b", 772, false));
}
