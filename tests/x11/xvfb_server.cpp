#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace x11test {

namespace {

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string paths = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= paths.size()) {
    std::size_t end = paths.find(':', start);
    if (end == std::string::npos) end = paths.size();
    std::string candidate = paths.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::vector<char*> ChangedEnvironment(const std::vector<EnvChange>& changes, std::vector<std::string>& storage) {
  storage.clear();
  for (char** e = environ; *e != nullptr; ++e) {
    bool replaced = false;
    for (const EnvChange& change : changes) {
      std::size_t length = std::strlen(change.name);
      replaced |= std::strncmp(*e, change.name, length) == 0 && (*e)[length] == '=';
    }
    if (!replaced) storage.emplace_back(*e);
  }
  for (const EnvChange& change : changes) {
    if (change.value != nullptr) storage.push_back(std::string(change.name) + "=" + change.value);
  }
  std::vector<char*> pointers;
  for (std::string& s : storage) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

bool XvfbServer::Available() { return OnPath("Xvfb"); }

bool XvfbServer::Start(std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = "pipe failed";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The server writes its display number to descriptor 3.
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr};
  int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    pid_ = -1;
    *error = std::string("cannot start Xvfb: ") + std::strerror(rc);
    return false;
  }
  std::string number;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char buffer[16];
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<std::size_t>(n));
    if (number.find('\n') != std::string::npos) break;
  }
  close(fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
  if (number.empty()) {
    Stop();
    *error = "Xvfb did not report a display number";
    return false;
  }
  display_ = ":" + number;
  return true;
}

void XvfbServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void XvfbServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

int RunTool(const std::string& display, const char* const* argv, std::string* output) {
  return RunWithEnvironment(argv, {{"DISPLAY", display.c_str()}}, output);
}

int RunWithEnvironment(const char* const* argv, const std::vector<EnvChange>& changes, std::string* output) {
  std::vector<std::string> storage;
  std::vector<char*> env = ChangedEnvironment(changes, storage);
  int fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) {
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  }
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) close(fds[1]);
  if (rc != 0) {
    if (output != nullptr) close(fds[0]);
    return -1;
  }
  if (output != nullptr) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output->append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace x11test
