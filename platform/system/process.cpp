#include "platform/system/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/base/report.h"

extern char** environ;

namespace platform {

namespace {

// Reads exactly `size` bytes unless the other side closes first; returns the count read.
size_t ReadFully(int fd, void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, static_cast<char*>(buffer) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void WriteFully(int fd, const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, static_cast<const char*>(buffer) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The state letter of /proc/PID/stat: after the last ')' (the name may hold parentheses).
char ProcessStateLetter(const std::string& statPath) {
  const std::string stat = ReadFirstLine(statPath);
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return '?';
  return stat[close + 2];
}

}  // namespace

pid_t StartProcess(const std::string& path) {
  if (path.empty()) return -1;
  // Everything the children need is prepared before fork: after it, in a process with threads,
  // only async-signal-safe calls are made.
  std::vector<char> file(path.begin(), path.end());
  file.push_back('\0');
  char* argv[] = {file.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    ReportSystemFailure("pipe2 failed: ", static_cast<unsigned long>(errno));
    return -1;
  }

  const pid_t intermediate = fork();
  if (intermediate < 0) {
    ReportSystemFailure("fork failed: ", static_cast<unsigned long>(errno));
    close(report[0]);
    close(report[1]);
    return -1;
  }
  if (intermediate == 0) {
    // Intermediate: start the real process and leave at once, so that it is adopted elsewhere.
    close(report[0]);
    const pid_t child = fork();
    if (child == 0) {
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      struct sigaction defaults {};
      defaults.sa_handler = SIG_DFL;
      for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGCHLD}) sigaction(sig, &defaults, nullptr);
      execve(file.data(), argv, environ);
      const int error = errno;
      WriteFully(report[1], &error, sizeof error);
      _exit(127);
    }
    const pid_t sent = child;
    WriteFully(report[1], &sent, sizeof sent);
    _exit(child < 0 ? 1 : 0);
  }

  close(report[1]);
  while (waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_t child = -1;
  int execError = 0;
  // The pid comes first; then either end of file (the exec closed the pipe) or an error number.
  if (ReadFully(report[0], &child, sizeof child) != sizeof child) child = -1;
  if (child > 0 && ReadFully(report[0], &execError, sizeof execError) == sizeof execError) {
    child = -1;  // the exec failed; the child has ended with 127 and its new parent reaps it
  }
  close(report[0]);
  return child;
}

std::string ProcessExecutableName(pid_t pid, const std::string& procRoot) {
  const std::string base = procRoot + "/" + std::to_string(pid);
  char target[4096];
  const ssize_t n = readlink((base + "/exe").c_str(), target, sizeof target - 1);
  if (n > 0) {
    std::string path(target, static_cast<size_t>(n));
    const std::string deleted = " (deleted)";  // the file was replaced or removed while running
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
  return ReadFirstLine(base + "/comm");
}

bool SweepProcessesByName(const std::string& name, const std::string& procRoot) {
  DIR* dir = opendir(procRoot.c_str());
  if (!dir) return false;
  std::vector<pid_t> pids;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (end && *end == '\0' && pid > 0) pids.push_back(static_cast<pid_t>(pid));
  }
  closedir(dir);
  std::sort(pids.begin(), pids.end());

  constexpr size_t kCommLength = 15;  // the kernel's short name is cut to this
  const pid_t self = getpid();
  const uid_t user = getuid();
  for (pid_t pid : pids) {
    if (pid == self) continue;
    const std::string base = procRoot + "/" + std::to_string(pid);
    struct stat info {};
    if (stat(base.c_str(), &info) != 0 || info.st_uid != user) continue;
    const char state = ProcessStateLetter(base + "/stat");
    if (state == 'Z' || state == 'X' || state == '?') continue;  // ended already, or gone

    char target[8];
    const bool exeReadable = readlink((base + "/exe").c_str(), target, sizeof target) > 0;
    const std::string executable = ProcessExecutableName(pid, procRoot);
    bool match = executable.size() == name.size() && strcasecmp(executable.c_str(), name.c_str()) == 0;
    if (!match && !exeReadable && name.size() > kCommLength && executable.size() == kCommLength)
      match = strncasecmp(executable.c_str(), name.c_str(), kCommLength) == 0;
    if (!match) continue;

    // One call ends at most one process; one that cannot be signalled keeps running.
    kill(pid, SIGTERM);
    break;
  }
  return true;
}

}  // namespace platform
