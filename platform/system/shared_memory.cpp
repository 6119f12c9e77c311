#include "platform/system/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {

namespace {

std::string ShmName(const char* name) { return std::string("/") + name; }

}  // namespace

bool SharedMemory::Open(const char* name, std::size_t size, bool writable) {
  Close();
  if (!name || !*name || size == 0) return false;
  const std::string shmName = ShmName(name);

  // Creating and opening are tried separately so that we know who made the block; the block
  // always gets read and write access for its creator, since the other side may need to write.
  bool created = false;
  int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    created = true;
    if (fchmod(fd, 0644) != 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
      close(fd);
      shm_unlink(shmName.c_str());
      return false;
    }
  } else if (errno == EEXIST) {
    fd = shm_open(shmName.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
    if (fd < 0) return false;
    struct stat st {};
    // Mapping past the end of a shorter block would fault on the first read of the missing part.
    if (fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(size)) {
      close(fd);
      return false;
    }
  } else {
    return false;
  }

  void* view = mmap(nullptr, size, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd, 0);
  close(fd);  // the mapping keeps the block alive
  if (view == MAP_FAILED) return false;
  address_ = view;
  size_ = size;
  createdNew_ = created;
  return true;
}

void SharedMemory::Close() {
  if (address_) munmap(address_, size_);
  address_ = nullptr;
  size_ = 0;
  createdNew_ = false;
}

bool UnlinkSharedMemory(const char* name) { return shm_unlink(ShmName(name).c_str()) == 0; }

}  // namespace platform
