// Named shared memory between processes (POSIX shm: "/" + the block's name).
#pragma once

#include <cstddef>

namespace platform {

class SharedMemory {
 public:
  SharedMemory() = default;
  ~SharedMemory() { Close(); }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // Creates the block zero-filled at `size` bytes, or opens it when it exists, and maps `size`
  // bytes of it (read-only unless `writable`). An existing block smaller than `size` is refused
  // (it may be one being created by another process this very moment: try again later).
  // Returns whether a view was obtained; on failure nothing stays open.
  bool Open(const char* name, std::size_t size, bool writable);
  void Close();

  bool isOpen() const { return address_ != nullptr; }
  bool createdNew() const { return createdNew_; }
  void* address() const { return address_; }
  std::size_t size() const { return size_; }

 private:
  void* address_ = nullptr;
  std::size_t size_ = 0;
  bool createdNew_ = false;
};

// Removes the name of a block (the memory lives on while views exist); for tests and tools.
bool UnlinkSharedMemory(const char* name);

}  // namespace platform
