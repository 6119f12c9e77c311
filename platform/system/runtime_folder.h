// The per-user runtime folder (locks, sockets), and the single-instance lock in it.
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR when it is set to an absolute path, else the private folder
// "/tmp/<fallbackName>-<uid>", created with mode 0700. A fallback folder that is not a real
// folder owned by this user with no access for others is refused (someone else may have placed
// it there to catch our sockets): empty result, reported on standard error.
std::string UserRuntimeFolder(const std::string& fallbackName);

// A lock that only one process of a user holds at a time (the named mutex of the original).
class InstanceLock {
 public:
  enum class Outcome { kAcquired, kHeldByAnother, kUnavailable };

  InstanceLock() = default;
  ~InstanceLock() { Release(); }
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on the file at `path` (created if needed) without waiting. kUnavailable when
  // the file cannot be opened or locked for another reason than another holder.
  Outcome Acquire(const std::string& path);
  void Release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;  // close-on-exec, so started processes never inherit the lock
};

}  // namespace platform
