#include "platform/system/runtime_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/base/report.h"

namespace platform {

std::string UserRuntimeFolder(const std::string& fallbackName) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;

  const std::string folder = "/tmp/" + fallbackName + "-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    ReportSystemFailure("runtime folder could not be created: ", static_cast<unsigned long>(errno));
    return std::string();
  }
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    ReportSystemFailure("runtime folder refused (not a private folder of this user): " + folder);
    return std::string();
  }
  return folder;
}

InstanceLock::Outcome InstanceLock::Acquire(const std::string& path) {
  Release();
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Outcome::kUnavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? Outcome::kHeldByAnother : Outcome::kUnavailable;
  }
  fd_ = fd;
  return Outcome::kAcquired;
}

void InstanceLock::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace platform
