#include "platform/system/control_channel.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool MakeAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

bool ControlChannel::Listen(const std::string& path) {
  Close();
  sockaddr_un address;
  if (!MakeAddress(path, &address)) return false;
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

void ControlChannel::Close() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(path_.c_str());
  }
  fd_ = -1;
  path_.clear();
}

bool ControlChannel::Receive(std::string* command) {
  if (fd_ < 0 || !command) return false;
  char buffer[kMaxCommand];
  for (;;) {
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    command->assign(buffer, static_cast<size_t>(n));
    return true;
  }
}

bool ControlChannel::Send(const std::string& path, const std::string& command) {
  sockaddr_un address;
  if (!MakeAddress(path, &address) || command.size() > kMaxCommand) return false;
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const ssize_t n = sendto(fd, command.data(), command.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
  close(fd);
  return n == static_cast<ssize_t>(command.size());
}

}  // namespace platform
