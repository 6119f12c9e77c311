// A per-user control socket: short text commands from other processes of the same user to the
// running instance (a datagram socket in the user's private runtime folder; the folder's mode
// keeps other users out).
#pragma once

#include <string>

namespace platform {

class ControlChannel {
 public:
  // Longest command carried; longer datagrams are cut.
  static constexpr size_t kMaxCommand = 1024;

  ControlChannel() = default;
  ~ControlChannel() { Close(); }
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // Binds the socket at `path`, replacing a stale one (call only while holding the instance
  // lock, so no live instance owns it). False when the path is too long or binding fails.
  bool Listen(const std::string& path);
  void Close();
  // The descriptor to poll for readability; -1 when not listening.
  int fd() const { return fd_; }
  // Takes one pending command without waiting; false when there is none.
  bool Receive(std::string* command);

  // Sends one command to the instance listening at `path`; false when nobody listens there.
  static bool Send(const std::string& path, const std::string& command);

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace platform
