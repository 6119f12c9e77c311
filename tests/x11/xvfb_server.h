// A private Xvfb for one test process: started on a free display number (the server picks it
// and reports it through -displayfd), so tests running in parallel never share a display.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace x11test {

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Whether an Xvfb program is on PATH.
  static bool Available();
  // Starts the server (1280x800, depth 24, no TCP) and waits until it accepts connections.
  // Returns false with `error` set when it did not come up.
  bool Start(std::string* error);
  // Ends the server (SIGTERM, then SIGKILL) and reaps it.
  void Stop();
  // Kills the server at once, as a crash would.
  void Kill();
  // ":N".
  const std::string& display() const { return display_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Runs a command (argv[0] looked up on PATH) with DISPLAY set to `display`; its exit status, or
// -1 when it could not run. Standard output goes into `output` when given.
int RunTool(const std::string& display, const char* const* argv, std::string* output = nullptr);

// Like RunTool, with variables set (value) or removed (null value) instead of DISPLAY alone.
struct EnvChange {
  const char* name;
  const char* value;
};
int RunWithEnvironment(const char* const* argv, const std::vector<EnvChange>& changes, std::string* output);

}  // namespace x11test
